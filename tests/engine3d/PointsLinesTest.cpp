// Points, lines and flat texts: draw counts, defaults, node colours, copies, spline sampling and what is
// drawn.
#include "GLBitmapFont.h"
#include "GLObjects.h"
#include "ShapeRenderSupport.h"

#include <gtest/gtest.h>

using namespace engine3d;
using namespace engine3d_test;

TEST(Points, DrawCountNeverPassesTheShorterList) {
    struct Row {
        int positions, colors, drawn;
    };
    for (Row row : {Row{0, 0, 1}, Row{0, 5, 1}, Row{10, 0, 10}, Row{10, 1, 10}, Row{10, 4, 4}, Row{3, 8, 3}})
        EXPECT_EQ(PointsDrawCount(row.positions, row.colors), row.drawn)
            << row.positions << " " << row.colors;
}

TEST(Points, StaticStyleParametersAndAssign) {
    TGLPoints points;
    EXPECT_TRUE(points.ObjectStyleFlags() & ObjectStyle(osImmediateDraw));
    EXPECT_TRUE(points.ObjectStyleFlags() & ObjectStyle(osNoCulling));
    points.SetStatic(true);
    EXPECT_FALSE(points.ObjectStyleFlags() & ObjectStyle(osImmediateDraw));
    points.SetStatic(false);
    EXPECT_TRUE(points.ObjectStyleFlags() & ObjectStyle(osImmediateDraw));

    TGLPointParameters* params = points.PointParameters();
    EXPECT_FALSE(params->StorePointParams());
    params->SetMaxSize(64);
    EXPECT_TRUE(params->StorePointParams());
    TMemoryStream stream;
    params->WritePointParams(stream);
    EXPECT_EQ(stream.Size(), 12);

    points.Positions().Add(1, 2, 3);
    points.Colors().Add(TVector{1, 0, 0, 1});
    points.SetSize(4);
    TGLPoints copy;
    copy.Assign(&points);
    EXPECT_EQ(copy.Positions().Count(), 1);
    EXPECT_EQ(copy.Colors().Count(), 1);
    EXPECT_EQ(copy.Size(), 4);
}

TEST(Lines, DivisionClampBoundsAndNodeChanges) {
    TGLLines lines;
    for (int given : {0, -3}) {
        lines.SetDivision(given);
        EXPECT_EQ(lines.Division(), 1) << given;
    }

    lines.AddNode(1, -4, 2);
    lines.AddNode(-3, 1, 0);
    EXPECT_EQ(lines.AxisAlignedDimensionsUnscaled(), (TVector{3, 4, 2, 0}));
    lines.ClearStructureChanged();
    lines.Nodes()->Items(0)->SetX(2);
    EXPECT_TRUE(lines.Changes() & ObjectChange(ocStructure));
}

TEST(Lines, NodeColourFollowsOnlyUnchangedNodes) {
    TGLLines lines;
    lines.AddNode(0, 0, 0);
    lines.AddNode(1, 0, 0);
    EXPECT_EQ(lines.Nodes()->Items(0)->Color()->Color(), (TVector{0, 0, 1, 1}));
    EXPECT_FALSE(lines.Nodes()->Items(0)->StoreColor());
    lines.Nodes()->Items(1)->Color()->SetColor(0, 1, 0, 1);
    EXPECT_TRUE(lines.Nodes()->Items(1)->StoreColor());
    TGLColor red(nullptr, TVector{1, 0, 0, 1});
    lines.SetNodeColor(&red);
    EXPECT_EQ(lines.Nodes()->Items(0)->Color()->Color(), (TVector{1, 0, 0, 1}));
    EXPECT_EQ(lines.Nodes()->Items(1)->Color()->Color(), (TVector{0, 1, 0, 1}));
    // New nodes take the current node colour.
    lines.AddNode(2, 0, 0);
    EXPECT_EQ(lines.Nodes()->Items(2)->Color()->Color(), (TVector{1, 0, 0, 1}));

    TGLLines copy;
    lines.SetDivision(4);
    lines.SetSplineMode(lsmCubicSpline);
    lines.SetNodeSize(3);
    copy.Assign(&lines);
    EXPECT_EQ(copy.Nodes()->Count(), 3);
    EXPECT_EQ(copy.Division(), 4);
    EXPECT_EQ(copy.SplineMode(), lsmCubicSpline);
    EXPECT_EQ(copy.NodeColor()->Color(), (TVector{1, 0, 0, 1}));
    EXPECT_EQ(copy.NodeSize(), 1); // not copied
    EXPECT_EQ(copy.Nodes()->Items(1)->Color()->Color(), (TVector{0, 1, 0, 1}));
}

TEST(Lines, StripSamplesByMode) {
    TGLLines lines;
    lines.AddNode(0, 0, 0);
    lines.AddNode(1, 1, 0);
    lines.AddNode(2, 0, 0);
    struct Row {
        TLineSplineMode mode;
        int division;
        GLenum glMode;
        size_t vertices;
    };
    for (Row row : {Row{lsmLines, 10, GL_LINE_STRIP, 3}, Row{lsmCubicSpline, 10, GL_LINE_STRIP, 21},
                    Row{lsmCubicSpline, 1, GL_LINE_STRIP, 3}, Row{lsmSegments, 10, GL_LINES, 2}}) {
        TGLLineStrip strip = BuildLineStrip(*lines.Nodes(), row.mode, row.division);
        EXPECT_EQ(strip.Mode, row.glMode) << int(row.mode);
        EXPECT_EQ(strip.Vertices.size(), row.vertices) << int(row.mode) << " / " << row.division;
    }
    // The spline passes through the nodes; colours blend between neighbours.
    lines.Nodes()->Items(1)->Color()->SetColor(1, 0, 0, 1);
    TGLLineStrip spline = BuildLineStrip(*lines.Nodes(), lsmCubicSpline, 10);
    EXPECT_NEAR(spline.Vertices[10].Position[1], 1, 1e-5);
    EXPECT_NEAR(spline.Vertices[20].Position[0], 2, 1e-5);
    EXPECT_NEAR(spline.Vertices[5].Color[0], 0.5f, 1e-5);
    EXPECT_NEAR(spline.Vertices[5].Color[2], 0.5f, 1e-5);
}

TEST(FlatText, AssignSharesTheFontUntilItGoes) {
    auto* font = new TGLBitmapFont();
    TGLFlatText text;
    EXPECT_TRUE(text.ObjectStyleFlags() & ObjectStyle(osNoCulling));
    text.SetBitmapFont(font);
    text.SetText("abc");
    text.SetOptions(FlatTextOption(ftoTwoSided));
    TGLFlatText copy;
    copy.Assign(&text);
    EXPECT_EQ(copy.BitmapFont(), font);
    EXPECT_EQ(copy.Text(), "abc");
    EXPECT_EQ(copy.Options(), FlatTextOption(ftoTwoSided));
    EXPECT_EQ(font->Users().size(), 2u);
    delete font;
    EXPECT_EQ(text.BitmapFont(), nullptr);
    EXPECT_EQ(copy.BitmapFont(), nullptr);
}

// ---- Drawn --------------------------------------------------------------------------------------------

TEST(PointsRender, ColoursAndCounts) {
    REQUIRE_SHAPE_SCENE(s, 64, 64);
    auto* points = s.scene.Objects()->AddNewChild<TGLPoints>();
    points->SetSize(5);
    // No positions: one point at the origin, white.
    s.render();
    expectColour(s.pixel(32, 32), 255, 255, 255, "origin point");
    // Four positions, two colours: only the first two are drawn.
    points->Positions().Add(-0.5f, 0, 0);
    points->Positions().Add(0.5f, 0, 0);
    points->Positions().Add(0, 0.5f, 0);
    points->Positions().Add(0, -0.5f, 0);
    points->Colors().Add(TVector{1, 0, 0, 1});
    points->Colors().Add(TVector{0, 1, 0, 1});
    s.render();
    expectColour(s.pixel(16, 32), 255, 0, 0, "first point");
    expectColour(s.pixel(48, 32), 0, 255, 0, "second point");
    expectColour(s.pixel(32, 48), 0, 0, 0, "third point has no colour: not drawn");
}

TEST(LinesRender, StripAndNoMarkerForOneNode) {
    REQUIRE_SHAPE_SCENE(s, 64, 64);
    auto* lines = s.scene.Objects()->AddNewChild<TGLLines>();
    lines->SetNodesAspect(lnaInvisible);
    lines->SetLineWidth(3);
    lines->AddNode(-0.75f, 0, 0);
    lines->AddNode(0.75f, 0, 0);
    s.render();
    expectColour(s.pixel(32, 32), 255, 255, 255, "on the line");
    expectColour(s.pixel(32, 44), 0, 0, 0, "off the line");
    // A Bezier curve takes its colours from the nodes even without loUseNodeColorForLines.
    for (int i = 0; i < 2; ++i)
        lines->Nodes()->Items(i)->Color()->SetColor(0, 1, 0, 1);
    lines->SetSplineMode(lsmBezierSpline);
    s.render();
    expectColour(s.pixel(32, 32), 0, 255, 0, "Bezier in the node colour");

    // More nodes than the evaluator takes fall back to the straight strip.
    GLint maxOrder = 0;
    s.buffer.RenderingContext()->ContextActivate();
    glGetIntegerv(GL_MAX_EVAL_ORDER, &maxOrder);
    s.buffer.RenderingContext()->ContextDeactivate();
    lines->Nodes()->Clear();
    for (int i = 0; i <= maxOrder; ++i)
        lines->AddNode(-0.75f + 1.5f * float(i) / float(maxOrder), 0, 0);
    lines->SetSplineMode(lsmBezierSpline);
    s.render();
    expectColour(s.pixel(32, 32), 255, 255, 255, "long Bezier drawn as a strip");

    lines->Nodes()->Clear();
    lines->AddNode(0, 0, 0);
    lines->SetNodesAspect(lnaCube);
    lines->SetNodeSize(1);
    s.render();
    expectColour(s.pixel(48, 32), 0, 0, 0, "one node: no marker either");
}
