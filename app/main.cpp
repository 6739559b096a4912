#include "GLEngineInit.h"
#include "KestrumApplication.h"
#include "MainUnit.h"
#include "PRPProperties.h"

int main(int argc, char* argv[]) {
    TKestrumApplication app(argc, argv);
    engine3d::InitEngine3D();
    const QStringList arguments = QCoreApplication::arguments();
    auto* form = new TMainForm(arguments.value(1));
    form->setAttribute(Qt::WA_DeleteOnClose);
    new TPropertiesDlg(form); // hidden until a command shows it
    form->show();
    return RunUntilExit();
}
