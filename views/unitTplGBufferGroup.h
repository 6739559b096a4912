#pragma once
// The window that lists one geometry buffer group's vertex, index and cell buffers.
#include "GeometryParts.h"
#include "PRPForms.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class TRowListView;

class TfrmTplGBufferGroup : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplGBufferGroup(QWidget* parent = nullptr);

    TGBufferGroup Group;

    void ShowGBufferGroup(const TGBufferGroup& group);

    void ddVertBufferChange();
    void ddIndexBufferChange();
    void ddCellBufferChange();

    QLineEdit* kUVCount = nullptr;
    QLineEdit* kSkinWeights = nullptr;
    QCheckBox* kSkinIndices = nullptr;
    QCheckBox* kEncoded = nullptr;
    QComboBox* ddVertBuffer = nullptr;
    QComboBox* ddIndexBuffer = nullptr;
    QComboBox* ddCellBuffer = nullptr;
    TRowListView* VertexList = nullptr;
    TRowListView* IndexList = nullptr;
    TRowListView* CellList = nullptr;
};

// Creates the window on a copy of the group and shows it.
TfrmTplGBufferGroup* OpenGBufferGroup(const TGBufferGroup& group);

// Texts shared by the vertex lists: "(x,y,z)" (";" between the parts where the decimal separator is a
// comma), the UVW channels of a format and its weights.
QString VectorText(const TVector3& v);
QString UVWsText(const TVector3* uvws, uint8_t format);
QString WeightsText(const std::array<float, 3>& weights, uint8_t format);
// Fills a list with "i0 - i1 - i2" per whole triangle; a count that is no multiple of three is reported
// with "Got odd Index Count!" first.
void ShowTriangles(TRowListView* list, const std::vector<uint16_t>& indices);
