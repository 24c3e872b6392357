// brix: the editor. Finds the game, makes the windows and runs until the main window closes.
#include <QApplication>
#include <QAction>
#include <QMessageBox>

#include "app/Help.h"
#include "app/Installation.h"
#include "core/MemoryReuse.h"
#include "core/QSError.h"
#include "mods/ModProject.h"
#include "ui/Art.h"
#include "ui/TBrixSaver.h"
#include "ui/TForm1.h"
#include "ui/TForm3.h"
#include "ui/TForm4.h"
#include "ui/TForm5.h"

int main(int argc, char** argv) {
    KeepFreedMemoryForReuse();
    QApplication app(argc, argv);
    // The application's name only: a display name would be added to every window title.
    QApplication::setApplicationName("Brix");
    QApplication::setWindowIcon(ProgramIcon());
    OpenLog("Brix_log.txt");
    // A fatal error is told in a warning box before the program ends.
    SetFatalPresenter([](const std::string& message) {
        QMessageBox::warning(nullptr, "Brix", QString::fromStdString(message), QMessageBox::Ok);
    });

    ModProject project;
    TForm1 form(project);
    // The build window stands alone: the main window is disabled while it shows.
    TBrixSaver saver;
    TForm3 loading;
    TForm4 about;
    // Asks for the access code of a protected mod while the main window is hidden.
    TForm5 security;
    form.SetSecondaryWindows(&loading, &about);
    form.SetBuildWindow(&saver);
    form.SetSecurityWindow(&security);

    const GameInstallations found = DiscoverInstallations();
    project.SetInstallationPaths(found.baseDirectory, found.expansionDirectory);
    form.SetInstalledEditions({found.baseInstalled, found.expansionInstalled});
    QObject::connect(form.Action("OnlineDocs1"), &QAction::triggered, [&form] {
        // Where no program opens the guide, the user is told where it is.
        const QString problem = OpenHelp();
        if (!problem.isEmpty()) QMessageBox::information(&form, "Brix", problem, QMessageBox::Ok);
    });

    form.show();
    return QApplication::exec();
}
