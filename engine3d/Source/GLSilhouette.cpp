#include "GLSilhouette.h"

namespace engine3d {

E3D_DEFINE_CLASS(TGLSilhouette, TObject)

void TGLSilhouette::Flush() {
    vertices_.Flush();
    indices_.Flush();
    capIndices_.Flush();
}

E3D_DEFINE_CLASS(TBaseConnectivity, TObject)
E3D_DEFINE_CLASS(TConnectivity, TBaseConnectivity)

void TConnectivity::Clear() {
    edgeVertices_.Clear();
    edgeFaces_.Clear();
    faceVisible_.Clear();
    faceVertexIndex_.Clear();
    faceNormal_.Clear();
    vertexMemory_.Clear();
    vertices_.Clear();
}

int TConnectivity::AddIndexedEdge(int a, int b, int faceId) {
    const int32_t* edges = edgeVertices_.List();
    for (int e = 0; e < EdgeCount(); ++e) {
        int p = edges[2 * e], q = edges[2 * e + 1];
        if ((p == a && q == b) || (p == b && q == a)) {
            edgeFaces_.Put(2 * e + 1, faceId);
            return 2 * e + 1;
        }
    }
    edgeVertices_.Add(a, b);
    edgeFaces_.Add(faceId, -1);
    return EdgeCount() - 1;
}

int TConnectivity::AddIndexedFace(int a, int b, int c) {
    faceVertexIndex_.Add(a, b, c);
    if (precomputeFaceNormal_)
        faceNormal_.Add(PlaneNormalFromPoints(vertices_[a], vertices_[b], vertices_[c]));
    int face = faceVisible_.Add(0);
    AddIndexedEdge(a, b, face);
    AddIndexedEdge(b, c, face);
    AddIndexedEdge(c, a, face);
    return face;
}

int TConnectivity::AddQuad(const TAffineVector& p0, const TAffineVector& p1, const TAffineVector& p2,
                           const TAffineVector& p3) {
    int i0 = vertices_.FindOrAdd(p0);
    int i1 = vertices_.FindOrAdd(p1);
    int i2 = vertices_.FindOrAdd(p2);
    int i3 = vertices_.FindOrAdd(p3);
    int first = AddIndexedFace(i0, i1, i2);
    AddIndexedFace(i2, i3, i0);
    return first;
}

int TConnectivity::reuseOrFindVertexId(int meshVertex, TGLSilhouette& silhouette) {
    if (meshVertex >= vertexMemory_.Count()) {
        int old = vertexMemory_.Count();
        vertexMemory_.SetCount(meshVertex + 1);
        for (int i = old; i <= meshVertex; ++i)
            vertexMemory_.Put(i, -1);
    }
    int id = vertexMemory_.Get(meshVertex);
    if (id < 0) {
        id = silhouette.Vertices().AddPoint(vertices_[meshVertex]);
        vertexMemory_.Put(meshVertex, id);
    }
    return id;
}

void TConnectivity::CreateSilhouette(const TGLSilhouetteParameters& parameters, TGLSilhouette*& silhouette,
                                     bool addToSilhouette) {
    if (!silhouette)
        silhouette = new TGLSilhouette();
    else if (!addToSilhouette)
        silhouette->Flush();
    vertexMemory_.Flush();
    const int32_t* faces = faceVertexIndex_.List();
    for (int f = 0; f < FaceCount(); ++f) {
        int a = faces[3 * f], b = faces[3 * f + 1], c = faces[3 * f + 2];
        TAffineVector normal = precomputeFaceNormal_
                                   ? faceNormal_[f]
                                   : PlaneNormalFromPoints(vertices_[a], vertices_[b], vertices_[c]);
        bool visible = DotProduct3(SubtractVectors3(parameters.SeenFrom, vertices_[a]), normal) >= 0;
        faceVisible_.Put(f, visible ? 1 : 0);
        if (!visible && parameters.CappingRequired)
            silhouette->CapIndices().Add(reuseOrFindVertexId(a, *silhouette),
                                         reuseOrFindVertexId(b, *silhouette),
                                         reuseOrFindVertexId(c, *silhouette));
    }
    for (int e = 0; e < EdgeCount(); ++e) {
        int p = edgeVertices_.Get(2 * e), q = edgeVertices_.Get(2 * e + 1);
        int f0 = edgeFaces_.Get(2 * e), f1 = edgeFaces_.Get(2 * e + 1);
        bool visible0 = faceVisible_.Get(f0) != 0;
        if (f1 >= 0 && visible0 == (faceVisible_.Get(f1) != 0)) continue;
        if (!visible0)
            silhouette->Indices().Add(reuseOrFindVertexId(p, *silhouette),
                                      reuseOrFindVertexId(q, *silhouette));
        else if (f1 >= 0)
            silhouette->Indices().Add(reuseOrFindVertexId(q, *silhouette),
                                      reuseOrFindVertexId(p, *silhouette));
    }
}

} // namespace engine3d
