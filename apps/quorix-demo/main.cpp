// quorix-demo [--database FILE] [--screenshot PNG]: the evaluating edit widgets on one
// window. The price list lives in an SQLite file, made with a few records on first run.
#include <cstdio>
#include <exception>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>
#include <QTimer>

#include "DemoWindow.hpp"
#include "PriceList.hpp"

int main(int argc, char** argv) {
    QApplication App(argc, argv);
    QApplication::setApplicationName("quorix-demo");

    QCommandLineParser Options;
    Options.setApplicationDescription("The evaluating edit fields of Quorix on one window.");
    Options.addHelpOption();
    const QCommandLineOption Database("database", "The SQLite file of the price list (made if missing).",
                                      "file");
    const QCommandLineOption Screenshot("screenshot", "Save a picture of the window to a PNG file and quit.",
                                        "png");
    Options.addOptions({Database, Screenshot});
    Options.process(App);

    QString sDatabase = Options.value(Database);
    if (sDatabase.isEmpty()) {
        const QString sFolder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
        QDir().mkpath(sFolder);
        sDatabase = QDir(sFolder).filePath("quorix-demo.db");
    }
    try {
        quorix_demo::EnsurePriceList(sDatabase);
        quorix_demo::DemoWindow Window(sDatabase);
        Window.show();
        if (Options.isSet(Screenshot)) {
            QTimer::singleShot(500, &Window, [&] {
                const bool bSaved = Window.grab().save(Options.value(Screenshot), "PNG");
                if (!bSaved)
                    std::fprintf(stderr, "quorix-demo: cannot write %s\n",
                                 qPrintable(Options.value(Screenshot)));
                App.exit(bSaved ? 0 : 1);
            });
        }
        return App.exec();
    } catch (const std::exception& Failure) {
        std::fprintf(stderr, "quorix-demo: %s\n", Failure.what());
        return 1;
    }
}
