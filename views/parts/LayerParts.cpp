#include "LayerParts.h"

namespace {

const TFlagBit blendFlags[] = {
    {0x1, "kBlendTest", "Test"},
    {0x2, "kBlendAlpha", "Alpha"},
    {0x4, "kBlendMult", "Mult"},
    {0x8, "kBlendAdd", "Add"},
    {0x10, "kBlendAddColorTimesAlpha", "Add Color*Alpha"},
    {0x20, "kBlendAntiAlias", "Anti-Alias"},
    {0x40, "kBlendDetail", "Detail"},
    {0x80, "kBlendNoColor", "No Color"},
    {0x100, "kBlendMADD", "MADD"},
    {0x200, "kBlendDot3", "Dot3"},
    {0x400, "kBlendAddSigned", "Add Signed"},
    {0x800, "kBlendAddSigned2X", "Add Signed 2X"},
    {0x1000, "kBlendInvertAlpha", "Invert Alpha"},
    {0x2000, "kBlendInvertColor", "Invert Color"},
    {0x4000, "kBlendAlphaMult", "Alpha Mult"},
    {0x8000, "kBlendAlphaAdd", "Alpha Add"},
    {0x10000, "kBlendNoVtxAlpha", "No Vertex Alpha"},
    {0x20000, "kBlendNoTexColor", "No Tex Color"},
    {0x40000, "kBlendNoTexAlpha", "No Tex Alpha"},
    {0x80000, "kBlendInvertVtxAlpha", "Invert Vtx Alpha"},
    {0x100000, "kBlendAlphaAlways", "Alpha Always"},
    {0x200000, "kBlendInvertFinalColor", "Invert Final Color"},
    {0x400000, "kBlendInvertFinalAlpha", "Invert Final Alpha"},
    {0x800000, "kBlendEnvBumpNext", "Env Bump Next"},
    {0x1000000, "kBlendSubtract", "Subtract"},
    {0x2000000, "kBlendRevSubtract", "Rev Subtract"},
    {0x4000000, "kBlendAlphaTestHigh", "Alpha Test High"},
};

const TFlagBit clampFlags[] = {
    {0x1, "kClampTextureU", "Clamp U"},
    {0x2, "kClampTextureV", "Clamp V"},
};

const TFlagBit shadeFlags[] = {
    {0x1, "kShadeSoftShadow", "Soft Shadow"},
    {0x2, "kShadeNoProjectors", "No Projectors"},
    {0x4, "kShadeEnvironMap", "EnvironMap"},
    {0x20, "kShadeVertexShade", "Vertex Shade"},
    {0x40, "kShadeBlack", "Black"},
    {0x80, "kShadeSpecular", "Specular"},
    {0x100, "kShadeNoFog", "No Fog"},
    {0x200, "kShadeWhite", "White"},
    {0x400, "kShadeSpecularAlpha", "Specular Alpha"},
    {0x800, "kShadeSpecularColor", "Specular Color"},
    {0x1000, "kShadeSpecularHighlight", "Specular Highlight"},
    {0x2000, "kShadeVertColShade", "Vert Col Shade"},
    {0x4000, "kShadeInherit", "Inherit"},
    {0x8000, "kShadeIgnoreVtxIllum", "Ignore vtx Illum"},
    {0x10000, "kShadeEmissive", "Emissive"},
    {0x20000, "kShadeReallyNoFog", "Really No Fog"},
};

const TFlagBit zFlags[] = {
    {0x1, "kZIncLayer", "Inc Layer"},   {0x4, "kZClearZ", "Clear Z"},    {0x8, "kZNoZRead", "No Z Read"},
    {0x10, "kZNoZWrite", "No Z Write"}, {0x20, "kZLODBias", "LOD Bias"},
};

const TFlagBit miscFlags[] = {
    {0x1, "kMiscWireframe", "Wireframe"},
    {0x2, "kMiscMeshOutlines", "Mesh Outlines"},
    {0x4, "kMiscTwoSided", "Two Sided"},
    {0x8, "kMiscDrawAsSplats", "Draw as Splats"},
    {0x10, "kMiscAdjustPlane", "Adjust Plane"},
    {0x20, "kMiscAdjustCylinder", "Adjust Cylinder"},
    {0x40, "kMiscAdjustSphere", "Adjust Sphere"},
    {0x80, "kMiscTroubledLoner", "Troubled Loner"},
    {0x100, "kMiscBindSkip", "Bind Skip"},
    {0x200, "kMiscBindMask", "Bind Mask"},
    {0x400, "kMiscBindNext", "Bind Next"},
    {0x800, "kMiscLightMap", "Light Map"},
    {0x1000, "kMiscUseReflectionXform", "Use Reflec Xform"},
    {0x2000, "kMiscPerspProjection", "Persp Projection"},
    {0x4000, "kMiscOrthoProjection", "Ortho Projection"},
    {0x8000, "kMiscRestartPassHere", "Restart Pass Here"},
    {0x10000, "kMiscBumpLayer", "Bump Layer"},
    {0x20000, "kMiscBumpDu", "Bump DU"},
    {0x40000, "kMiscBumpDv", "Bump DV"},
    {0x80000, "kMiscBumpDw", "Bump DW"},
    {0x100000, "kMiscNoShadowAlpha", "No Shadow Alpha"},
    {0x200000, "kMiscUseRefractionXform", "Use Refrac Xform"},
    {0x400000, "kMiscCam2Screen", "Cam 2 Screen"},
};

const TFlagBit compFlags[] = {
    {0x1, "kCompShaded", "Shaded"},
    {0x2, "kCompEnvironMap", "EnvironMap"},
    {0x4, "kCompProjectOnto", "Project Onto"},
    {0x8, "kCompSoftShadow", "Soft Shadow"},
    {0x10, "kCompSpecular", "Specular"},
    {0x20, "kCompTwoSided", "Two Sided"},
    {0x40, "kCompDrawAsSplats", "Draw as Splats"},
    {0x80, "kCompAdjusted", "Adjusted"},
    {0x100, "kCompNoSoftShadow", "No Soft Shadow"},
    {0x200, "kCompDynamic", "Dynamic"},
    {0x400, "kCompDecal", "Decal"},
    {0x800, "kCompIsEmissive", "Is Emissive"},
    {0x1000, "kCompIsLightMapped", "Is Light Mapped"},
    {0x2000, "kCompNeedsBlendChannel", "Needs Blend Chan"},
};

} // namespace

const std::array<TLayerStateGroup, 5> kLayerStateGroups = {{
    {"Blend Flags", TFlagTable{blendFlags}},
    {"Clamp Flags", TFlagTable{clampFlags}},
    {"Shade Flags", TFlagTable{shadeFlags}},
    {"Z Flags", TFlagTable{zFlags}},
    {"Misc Flags", TFlagTable{miscFlags}},
}};
const TFlagTable kMaterialCompFlags{compFlags};

TPRPLayerInterface ReadLayerInterfacePart(TPlasmaStream& stream) {
    TPRPLayerInterface part;
    part.Underlay = ReadKeyRefField(stream);
    return part;
}

TLayerState ReadLayerState(TPlasmaStream& stream) {
    TLayerState state{};
    for (uint32_t& word : state)
        stream.ReadValue(word);
    return state;
}

TLayerRecord ReadLayer(TPlasmaStream& stream) {
    TLayerRecord record;
    record.SynchedObject = ReadSynchedObjectPart(stream);
    record.LayerInterface = ReadLayerInterfacePart(stream);
    record.State = ReadLayerState(stream);
    ReadMatrix44(stream, record.UVWTransform);
    for (TColorRGBA& color : record.Colors)
        ReadColorRGBA(stream, color);
    stream.ReadValue(record.UVWSource);
    stream.ReadValue(record.Opacity);
    stream.ReadValue(record.LODBias);
    stream.ReadValue(record.SpecularPower);
    record.Texture = ReadKeyRefField(stream);
    record.VertexShader = ReadKeyRefField(stream);
    record.PixelShader = ReadKeyRefField(stream);
    ReadMatrix44(stream, record.BumpEnvTransform);
    return record;
}

TMaterialRecord ReadMaterial(TPlasmaStream& stream) {
    TMaterialRecord record;
    record.SynchedObject = ReadSynchedObjectPart(stream);
    stream.ReadValue(record.LoadFlags);
    stream.ReadValue(record.CompFlags);
    // Both counts come before any key.
    const uint32_t layerCount = ReadU32(stream);
    const uint32_t piggyBackCount = ReadU32(stream);
    record.Layers = ReadKeySlots(stream, layerCount);
    record.PiggyBacks = ReadKeySlots(stream, piggyBackCount);
    return record;
}
