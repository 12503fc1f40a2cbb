#include "app/command_line.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The shell has already split the command line; only the first argument matters.
    const std::string first = argc > 1 ? argv[1] : "";
    const auto variant = pdt::app::ChooseDialogVariant(argc > 1 ? &first : nullptr);
    (void)variant;

    QWidget window;
    window.setWindowTitle(QStringLiteral("パズルデータ作成ツール Ver2.0"));
    window.setFixedSize(660, 460);
    window.show();
    return app.exec();
}
