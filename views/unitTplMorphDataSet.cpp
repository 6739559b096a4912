#include "unitTplMorphDataSet.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "RowListView.h"
#include "ViewerKit.h"

namespace {
const TViewerRegistrar registrar("TfrmTplMorphDataSet", [] { return new TfrmTplMorphDataSet; });

QString deltaVectorText(const TVector3& v) {
    const QString separator = VectorSeparator() + u' ';
    return u'(' + FloatToText(v.X) + separator + FloatToText(v.Y) + separator + FloatToText(v.Z) + u')';
}

// Items "1" .. count without a change signal.
void fillNumbers(QComboBox* combo, size_t count) {
    const QSignalBlocker blocker(combo);
    combo->clear();
    for (size_t i = 1; i <= count; ++i)
        combo->addItem(QString::number(i));
    combo->setCurrentIndex(-1);
}

// Item 0 when none is selected and there is one; the selected index afterwards, or -1.
int selectFirstWhenNone(QComboBox* combo) {
    if (combo->currentIndex() < 0 && combo->count() > 0) {
        const QSignalBlocker blocker(combo);
        combo->setCurrentIndex(0);
    }
    return combo->currentIndex();
}

template <class T> const T* itemAt(const std::vector<T>& items, int index) {
    return index >= 0 && size_t(index) < items.size() ? &items[index] : nullptr;
}
} // namespace

TfrmTplMorphDataSet::TfrmTplMorphDataSet(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplMorphDataSet"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QGridLayout;
    top->addWidget(MakeCaption(QStringLiteral("Morph Array:"), this), 0, 0);
    ddMorphArray = new QComboBox(this);
    ddMorphArray->setObjectName(QStringLiteral("ddMorphArray"));
    top->addWidget(ddMorphArray, 0, 1);
    top->setColumnStretch(2, 1);
    layout->addLayout(top);

    auto* deltaGroup = new QGroupBox(QStringLiteral("Morph Delta"), this);
    auto* grid = new QGridLayout(deltaGroup);
    ddMorphDelta = new QComboBox(deltaGroup);
    ddMorphDelta->setObjectName(QStringLiteral("ddMorphDelta"));
    ddSpan = new QComboBox(deltaGroup);
    ddSpan->setObjectName(QStringLiteral("ddSpan"));
    Weight = MakeReadOnlyEdit(QStringLiteral("Weight"), deltaGroup);
    grid->addWidget(MakeCaption(QStringLiteral("Morph Delta:"), deltaGroup), 0, 0);
    grid->addWidget(ddMorphDelta, 0, 1);
    grid->addWidget(MakeCaption(QStringLiteral("Weight:"), deltaGroup), 0, 2);
    grid->addWidget(Weight, 0, 3);
    grid->addWidget(MakeCaption(QStringLiteral("Span:"), deltaGroup), 1, 0);
    grid->addWidget(ddSpan, 1, 1);
    grid->addWidget(MakeCaption(QStringLiteral("Deltas:"), deltaGroup), 2, 0, 1, 3);
    grid->addWidget(MakeCaption(QStringLiteral("UVWs:"), deltaGroup), 2, 3);
    DeltaList = new TRowListView(QStringLiteral("DeltaList"), {"Idx", "Position", "Normal"}, deltaGroup);
    grid->addWidget(DeltaList, 3, 0, 1, 3);
    UVWList = new TRowListView(QStringLiteral("UVWList"), {}, deltaGroup);
    grid->addWidget(UVWList, 3, 3);
    grid->setColumnStretch(2, 1);
    layout->addWidget(deltaGroup, 1);

    connect(ddMorphArray, &QComboBox::currentIndexChanged, this,
            [this] { Guarded([this] { ddMorphArrayChange(); }); });
    connect(ddMorphDelta, &QComboBox::currentIndexChanged, this,
            [this] { Guarded([this] { ddMorphDeltaChange(); }); });
    connect(ddSpan, &QComboBox::currentIndexChanged, this, [this] { Guarded([this] { ddSpanChange(); }); });
    connect(DeltaList, &TRowListView::selectedRowChanged, this, &TfrmTplMorphDataSet::DeltaListChange);
    resize(640, 480);
}

void TfrmTplMorphDataSet::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        MorphArrays = ReadMorphDataSet(*stream);
        fillNumbers(ddMorphArray, MorphArrays.size());
        if (!MorphArrays.empty()) {
            {
                const QSignalBlocker blocker(ddMorphArray);
                ddMorphArray->setCurrentIndex(0);
            }
            ddMorphArrayChange();
        }
    }
    SetObjectInfo(entry);
}

const TMorphArray* TfrmTplMorphDataSet::selectedArray() {
    return itemAt(MorphArrays, ddMorphArray->currentIndex());
}

const TMorphDelta* TfrmTplMorphDataSet::selectedDelta() {
    const TMorphArray* array = selectedArray();
    return array ? itemAt(*array, ddMorphDelta->currentIndex()) : nullptr;
}

const TMorphSpan* TfrmTplMorphDataSet::selectedSpan() {
    const TMorphDelta* delta = selectedDelta();
    return delta ? itemAt(delta->Spans, ddSpan->currentIndex()) : nullptr;
}

void TfrmTplMorphDataSet::ddMorphArrayChange() {
    fillNumbers(ddMorphDelta, 0);
    selectFirstWhenNone(ddMorphArray);
    const TMorphArray* array = selectedArray();
    if (!array || array->empty()) {
        // Nothing of an earlier array stays on show under an array without deltas.
        fillNumbers(ddSpan, 0);
        Weight->clear();
        DeltaList->Clear();
        UVWList->Clear();
        return;
    }
    fillNumbers(ddMorphDelta, array->size());
    {
        const QSignalBlocker blocker(ddMorphDelta);
        ddMorphDelta->setCurrentIndex(0);
    }
    ddMorphDeltaChange();
}

void TfrmTplMorphDataSet::ddMorphDeltaChange() {
    fillNumbers(ddSpan, 0);
    selectFirstWhenNone(ddMorphDelta);
    const TMorphDelta* delta = selectedDelta();
    if (!delta) return;
    SetFieldFloat(Weight, delta->Weight);
    if (delta->Spans.empty()) {
        // The deltas of an earlier span do not stay on show under a delta without spans.
        DeltaList->Clear();
        UVWList->Clear();
        return;
    }
    fillNumbers(ddSpan, delta->Spans.size());
    {
        const QSignalBlocker blocker(ddSpan);
        ddSpan->setCurrentIndex(0);
    }
    ddSpanChange();
}

void TfrmTplMorphDataSet::ddSpanChange() {
    DeltaList->Clear();
    UVWList->Clear(); // the UVWs of a delta no longer listed
    selectFirstWhenNone(ddSpan);
    const TMorphSpan* span = selectedSpan();
    if (!span) return;
    const std::vector<TVertDelta>& deltas = span->Deltas;
    DeltaList->SetRows(int(deltas.size()), [&deltas](int row, int column) -> QString {
        const TVertDelta& vd = deltas[row];
        switch (column) {
        case 0:
            return QString::number(vd.Index);
        case 1:
            return deltaVectorText(vd.PosDelta);
        default:
            return deltaVectorText(vd.NormDelta);
        }
    });
    if (!deltas.empty()) {
        DeltaList->SelectRow(0);
        DeltaListChange();
    }
}

void TfrmTplMorphDataSet::DeltaListChange() {
    UVWList->Clear();
    const TMorphSpan* span = selectedSpan();
    const int row = DeltaList->SelectedRow();
    if (!span || row < 0) return;
    // The run holds the channels of delta 0 first, then those of delta 1, and so on.
    const size_t first = size_t(row) * span->NumUVWChans;
    if (first >= span->UVWs.size()) return;
    const size_t count = std::min<size_t>(span->NumUVWChans, span->UVWs.size() - first);
    const TVector3* uvws = span->UVWs.data() + first;
    UVWList->SetRows(int(count), [uvws](int line, int) { return deltaVectorText(uvws[line]); });
}
