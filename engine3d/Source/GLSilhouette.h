// The silhouette of a closed triangle mesh seen from a point: the edges between visible and hidden faces
// and, when asked, cap triangles for the hidden faces; and the mesh connectivity it is computed from.
#pragma once

#include "BaseClasses.h"
#include "VectorLists.h"

namespace engine3d {

class TGLSilhouette : public TObject {
    E3D_DECLARE_CLASS(TGLSilhouette)
public:
    TVectorList& Vertices() { return vertices_; }
    TIntegerList& Indices() { return indices_; }       // two per edge
    TIntegerList& CapIndices() { return capIndices_; } // three per triangle
    const TVectorList& Vertices() const { return vertices_; }
    const TIntegerList& Indices() const { return indices_; }
    const TIntegerList& CapIndices() const { return capIndices_; }
    void Flush();

private:
    TVectorList vertices_;
    TIntegerList indices_;
    TIntegerList capIndices_;
};

enum TGLSilhouetteStyle : uint8_t { ssOmni, ssParallel };

struct TGLSilhouetteParameters {
    TAffineVector SeenFrom = {0, 0, 0};
    TAffineVector LightDirection = {0, 0, 0};
    TGLSilhouetteStyle Style = ssOmni;
    bool CappingRequired = false;
};

class TBaseConnectivity : public TObject {
    E3D_DECLARE_CLASS(TBaseConnectivity)
public:
    explicit TBaseConnectivity(bool precomputeFaceNormal = false)
        : precomputeFaceNormal_(precomputeFaceNormal) {}
    virtual int EdgeCount() const { return 0; }
    virtual int FaceCount() const { return 0; }
    // With no silhouette given a new one is made (the caller frees it); otherwise it is cleared unless
    // the new edges are added to it.
    virtual void CreateSilhouette(const TGLSilhouetteParameters&, TGLSilhouette*&, bool) {}
    virtual void Clear() {}
    bool PrecomputeFaceNormal() const { return precomputeFaceNormal_; }

protected:
    bool precomputeFaceNormal_;
};

class TConnectivity : public TBaseConnectivity {
    E3D_DECLARE_CLASS(TConnectivity)
public:
    explicit TConnectivity(bool precomputeFaceNormal = false) : TBaseConnectivity(precomputeFaceNormal) {}
    int EdgeCount() const override { return edgeVertices_.Count() / 2; }
    int FaceCount() const override { return faceVisible_.Count(); }
    void Clear() override;
    // The index of a new edge, or 2 e + 1 (the second-face slot) when edge e already joins a and b.
    int AddIndexedEdge(int vertexIndexA, int vertexIndexB, int faceId);
    int AddIndexedFace(int vertexIndexA, int vertexIndexB, int vertexIndexC);
    // Finds or adds the four points among the mesh vertices, then faces (p0, p1, p2) and (p2, p3, p0).
    int AddQuad(const TAffineVector& p0, const TAffineVector& p1, const TAffineVector& p2,
                const TAffineVector& p3);
    void CreateSilhouette(const TGLSilhouetteParameters& parameters, TGLSilhouette*& silhouette,
                          bool addToSilhouette) override;

    TAffineVectorList& Vertices() { return vertices_; }
    const TIntegerList& EdgeVertices() const { return edgeVertices_; }
    const TIntegerList& EdgeFaces() const { return edgeFaces_; }
    const TIntegerList& FaceVertexIndex() const { return faceVertexIndex_; }
    const TByteList& FaceVisible() const { return faceVisible_; }

private:
    int reuseOrFindVertexId(int meshVertex, TGLSilhouette& silhouette);
    TIntegerList edgeVertices_;
    TIntegerList edgeFaces_;
    TByteList faceVisible_;
    TIntegerList faceVertexIndex_;
    TAffineVectorList faceNormal_;
    TIntegerList vertexMemory_;
    TAffineVectorList vertices_;
};

} // namespace engine3d
