#pragma once
// The base class of every window that shows one engine object (viewers, the raw view, part windows) and of
// the string converter.
#include <QIcon>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

#include <QStringList>

#include "MessageService.h"
#include "PRPClasses.h"

class QMdiArea;
class QMdiSubWindow;
class QScrollArea;

// Text of page data (object, page and age names, strings): single-byte text in the code page the raw object
// view shows its characters in, one character per byte; control codes stay themselves.
QString PageText(const std::string& s);
// The bytes of page text. A character the code page has no byte for is left out and, when asked, listed in
// `leftOut`, each one once.
std::string PageBytes(const QString& s, QStringList* leftOut = nullptr);

// A number as viewers show it: 15 significant digits with the user's decimal separator, scientific with
// "E" below 0.0001 or from 10^15 on ("1E-5", "1.5E20").
QString FloatToText(double value);

class TCustomPRPObjectForm : public QWidget {
    Q_OBJECT
public:
    // Freed when closed: the child-area frame when hosted, else the form itself. A derived form that may
    // refuse closing overrides closeEvent and ignores the event.
    explicit TCustomPRPObjectForm(QWidget* parent = nullptr);
    ~TCustomPRPObjectForm() override;

    TPRPFileObject ObjectInfo;

    // The loader every viewer provides. The dispatcher calls it with the object's body; part windows get
    // no stream. This default only takes the entry (what a window without fields of its own needs).
    virtual void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream);

    // Copies the entry, captions the window "[XXXX] name" with the class icon, and shows the window as a
    // child of the main window when it is not shown yet.
    void SetObjectInfo(const TPRPFileObject& entry);
    void MarkModified();
    bool IsModified() const;
    TModalResult QuerySaveObject();

    // Puts the window into the main window's child area (or on screen by itself when there is no main
    // window) and shows it; a second call changes nothing.
    void ShowAsChild();
    // For a window filled before it is shown (part and sub-view windows): shows it as ShowAsChild does, then
    // sizes and places its frame for what it holds, as SetObjectInfo does for a viewer.
    void ShowFilledAsChild();
    // The child-area frame holding this window, or nullptr.
    QMdiSubWindow* SubWindow() const { return subWindow_; }

    // Where new object windows go; set by the main window. Returns the frame made for the form.
    using ChildHost = std::function<QMdiSubWindow*(TCustomPRPObjectForm*)>;
    static void SetChildHost(ChildHost host);

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Moves the window's controls into a scroll area that fills it, for contents larger than the child
    // area. Controls outside the window's layout stay where they are.
    void scrollContents();

private:
    // Widens and heightens the child frame to what the filled controls need to show whole, within the child
    // area.
    void growToContents();
    // The frame size from `wanted` up to `most` at which the window's lists and trees show their lines whole.
    QSize roomForLines(QSize wanted, const QSize& most);
    // What the window's contents need at least, with its key links whole or cut.
    QSize leastSize(bool linksWhole);
    QMdiSubWindow* subWindow_ = nullptr;
    QScrollArea* scroller_ = nullptr;
    bool shown_ = false;
};

// ---- Child frames in the child area

// The size the child windows may fill: the area without the scroll bars that only the windows in `placing`
// would cause; other windows reaching past its edges keep theirs. Invalid while the area is hidden, when
// it has no size of its own yet.
QSize ChildAreaSize(const QMdiArea* area, const QList<QMdiSubWindow*>& placing);
// How far each cascaded child window lies below and right of the one before: its title bar stays in view.
int ChildCascadeStep(const QMdiArea* area);
// Sets the frame at `place` to `wanted` (frame sizes), kept inside an area of `area` size: where the rest
// of the area is too small it gives up size down to `least` first, so that a cascaded frame keeps its
// place; then it moves back toward the area's origin, never onto the place of another open frame, and at
// last shrinks to the area itself. An invalid area bounds nothing.
void PlaceChildFrame(QMdiSubWindow* frame, const QPoint& place, const QSize& wanted, const QSize& least,
                     const QSize& area);
