#pragma once
// While it lives, the user's clicks, keys, shortcuts and drops do not reach a window, as
// while a modal dialog is open; its own dialogs, windows of their own, still take theirs,
// and closing the window still works. The cursor says wait. For the short work a command
// finishes later (checking pictures), so that nothing the user does lands in between.

#include <QObject>
#include <QPointer>

class QWidget;

namespace pdt::app {

class InputPause : public QObject {
  public:
    explicit InputPause(QWidget* window);
    ~InputPause() override;
    InputPause(const InputPause&) = delete;
    InputPause& operator=(const InputPause&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> window_;
};

} // namespace pdt::app
