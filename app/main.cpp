#include "KestrumApplication.h"
#include "MainUnit.h"

int main(int argc, char* argv[]) {
    TKestrumApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    auto* form = new TMainForm(arguments.value(1));
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->show();
    return app.exec();
}
