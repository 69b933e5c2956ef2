// QUILLON Studio: the figures explored live as density pictures.
#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include "studio/MainWindow.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName("QUILLON");
    QApplication::setApplicationName("QUILLON Studio");
    QApplication::setApplicationVersion(QUILLON_VERSION);
    QApplication::setDesktopFileName("org.quillon.Studio");
    QApplication::setWindowIcon(QIcon(":/icons/org.quillon.Studio-256.png"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Explores QUILLON's figures live as density pictures, and exports posters and videos.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("file",
                                 "a picture, video or counts file QUILLON's programs wrote, or a caption file, "
                                 "to open",
                                 "[FILE]");
    parser.process(app);

    quillon::studio::MainWindow window;
    window.show();
    if (!parser.positionalArguments().isEmpty())
        window.openPath(parser.positionalArguments().first());
    return app.exec();
}
