#include "app/input_pause.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace pdt::app {

namespace {

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

} // namespace

InputPause::InputPause(QWidget* window) : window_(window) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(this);
}

InputPause::~InputPause() {
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
}

bool InputPause::eventFilter(QObject* watched, QEvent* event) {
    // Menu commands and keys of every window arrive as shortcut events.
    if (event->type() == QEvent::Shortcut)
        return true;
    if (!window_ || !isUserInput(event->type()))
        return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->window() == window_;
}

} // namespace pdt::app
