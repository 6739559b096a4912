#include "ViewerTestSupport.h"

OpenedWindows::OpenedWindows() {
    TCustomPRPObjectForm::SetChildHost([this](TCustomPRPObjectForm* form) -> QMdiSubWindow* {
        forms.push_back(form);
        return nullptr;
    });
}

OpenedWindows::~OpenedWindows() {
    TCustomPRPObjectForm::SetChildHost({});
    for (auto* form : forms)
        delete form;
}

void click(QWidget* widget) {
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

TCustomPRPObjectForm* openViewer(uint16_t classIndex, const std::string& name,
                                 const testparts::ByteWriter& body) {
    const char* viewerClass = FindViewerClass(classIndex, body.version());
    if (!viewerClass) return nullptr;
    const TViewerFactory factory = ViewerFactory(viewerClass);
    if (!factory) return nullptr;
    TCustomPRPObjectForm* form = factory();
    TPRPFileObject entry;
    entry.Desc = testpages::makeKey(classIndex, name);
    entry.Version = body.version();
    entry.MajorVersion = body.live() ? kMajorVersionLive : 0;
    TPlasmaStream stream = testparts::streamOf(body);
    form->LoadObject(entry, &stream);
    return form;
}
