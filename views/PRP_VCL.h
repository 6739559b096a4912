#pragma once
// Controls shared by the viewers: the tree icons, the tree that lists object keys grouped by class, and
// the label that links to one referenced object.
#include <QIcon>
#include <QLabel>
#include <QTreeWidget>
#include <vector>

#include "PRPClasses.h"
#include "ViewerKit.h"

// The tree icons: 0 folder and class group, 1 global age, 2 page, then one icon per class-table image index.
class TImageList {
public:
    TImageList();
    int Count() const { return int(icons_.size()); }
    // An empty icon for -1 or any index without a picture.
    QIcon Icon(int index) const;
    QPixmap Pixmap(int index) const;

    static constexpr int kFolder = 0;
    static constexpr int kGlobalAge = 1;
    static constexpr int kPage = 2;

private:
    std::vector<QPixmap> pixmaps_;
    std::vector<QIcon> icons_;
};

// The one icon list of the program (`PRPTreeImages`); drawn on first use, needs a QGuiApplication.
TImageList& TreeImages();

// Opens the object a key refers to through the main window (own viewer, never the raw view); errors are
// shown as messages. Does nothing when there is no main window.
void ShowObjectByKey(const TPRPObjectDesc& key);

// A tree of object keys under class-label nodes. A key node's data is the address of a key the viewer owns:
// keep the key arrays unchanged while the tree shows them.
class TObjRefTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TObjRefTreeView(QWidget* parent = nullptr);

    uint16_t Version = 0; // labels and icons are taken from this format's class table

    // Groups the key under a class-label node (made when missing) and adds it there.
    QTreeWidgetItem* AddKeyNode(const TPRPObjectDesc& key, QTreeWidgetItem* parent = nullptr);
    // Adds the key as the last child of group (top level without one).
    QTreeWidgetItem* AddKeyToGroup(const TPRPObjectDesc& key, QTreeWidgetItem* group);
    // A labelled node without data, for viewers that group keys themselves.
    QTreeWidgetItem* AddLabelNode(const QString& text, QTreeWidgetItem* parent = nullptr);

    // The key a node points at, or nullptr for label nodes.
    static const TPRPObjectDesc* KeyOf(const QTreeWidgetItem* node);

private:
    void nodeDoubleClicked(QTreeWidgetItem* node);
};

// A label that links to a referenced object: "(none)" and disabled for a key without a name, else the key's
// name; a click opens the object.
class TKeyLinkLabel : public TLinkLabel {
    Q_OBJECT
public:
    explicit TKeyLinkLabel(QWidget* parent = nullptr);
    void SetKey(const TPRPObjectDesc& key);
    const TPRPObjectDesc& Key() const { return key_; }

private:
    TPRPObjectDesc key_;
};
