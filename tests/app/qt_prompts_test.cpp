#include "app/qt_prompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace pdt;
using namespace pdt::app;

namespace {

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Looks at the message box that `show` opens and answers it with `answer`.
SeenBox inspectBox(const std::function<void()>& show,
                   QMessageBox::StandardButton answer = QMessageBox::Ok) {
    SeenBox seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            ADD_FAILURE() << "no message box";
            return;
        }
        seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                box->defaultButton() ? box->standardButton(box->defaultButton())
                                     : QMessageBox::NoButton};
        box->button(answer)->click();
    });
    show();
    return seen;
}

} // namespace

// Messages show their caption, text and icon with OK; questions offer Yes and No with the
// given default; the save progress appears after a second and reports its cancel button.
TEST(QtPrompts, MessagesQuestionsAndSaveProgress) {
    QWidget owner;
    QtPrompts prompts;
    const std::pair<puzzle::MessageIcon, QMessageBox::Icon> icons[] = {
        {puzzle::MessageIcon::None, QMessageBox::NoIcon},
        {puzzle::MessageIcon::Information, QMessageBox::Information},
        {puzzle::MessageIcon::Error, QMessageBox::Critical}};
    for (const auto& icon : icons) {
        const SeenBox seen = inspectBox([&] {
            prompts.showMessage(&owner, {"ファイルを保存しました。", "情報", icon.first});
        });
        EXPECT_EQ(seen.title + seen.text, QString::fromUtf8("情報ファイルを保存しました。"));
        EXPECT_EQ(seen.icon, icon.second);
        EXPECT_EQ(seen.buttons, QMessageBox::Ok);
    }

    for (const bool yesIsDefault : {false, true}) {
        const Question question{"このプログラムを終了しますか？", "終了",
                                puzzle::MessageIcon::Information, yesIsDefault};
        bool answer = !yesIsDefault;
        const SeenBox seen = inspectBox([&] { answer = prompts.ask(&owner, question); },
                                        yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
        EXPECT_EQ(answer, yesIsDefault);
        EXPECT_EQ(seen.title, QString::fromUtf8("終了"));
        EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(seen.defaultButton, yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
    }

    const auto progress = prompts.beginSaveProgress(&owner);
    EXPECT_TRUE(progress->update(10, 100));
    auto* dialog = owner.findChild<QProgressDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->minimumDuration(), 1000);
    EXPECT_EQ(dialog->value(), 100); // of 1000 steps
    dialog->cancel();
    EXPECT_FALSE(progress->update(20, 100));
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("保存"));
    const auto checks = prompts.beginPictureCheckProgress(&owner);
    EXPECT_EQ(owner.findChildren<QProgressDialog*>().last()->windowTitle(),
              QString::fromUtf8("画像の確認"));
}

// Each pattern is spelt with a bracket class per letter, so that it matches in any case
// where file names are case-sensitive.
TEST(QtPrompts, FileFiltersMatchAnyCase) {
    EXPECT_EQ(qtFileFilter({{"利用可能な画像ﾌｧｲﾙ", "*.bmp;*.jpg"}, {"GIF (*.gif)", "*.gif"}}),
              QString::fromUtf8("利用可能な画像ﾌｧｲﾙ (*.[Bb][Mm][Pp] *.[Jj][Pp][Gg]);;"
                                "GIF (*.gif) (*.[Gg][Ii][Ff])"));
    EXPECT_EQ(qtFileFilter({{"画像ﾌｧｲﾙ", ""}}), QString::fromUtf8("画像ﾌｧｲﾙ (*)"));
}
