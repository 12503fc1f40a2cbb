#include "app/large_view.h"

#include "app/ui_texts.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

namespace pdt::app {

namespace {

// Until the size has stopped changing for this long, a resize draws the surface at hand
// scaled, instead of decoding the picture again at every step of the drag.
constexpr int kResizeSettleMs = 120;

const QColor kBackground(64, 64, 64);
const QColor kPlaceholder(160, 160, 160);
const QColor kUncutShade(0, 0, 0, 110);

QRect centred(QSize size, const QRect& within) {
    return QRect(within.x() + (within.width() - size.width()) / 2,
                 within.y() + (within.height() - size.height()) / 2, size.width(), size.height());
}

} // namespace

class LargeViewCanvas final : public QWidget {
  public:
    explicit LargeViewCanvas(LargeView& view) : QWidget(&view), view_(view) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        view_.paintCanvas(painter);
    }
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        view_.canvasResized();
    }

  private:
    LargeView& view_;
};

LargeView::LargeView(preview::PreviewLoader& loader, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("LargeView"));
    canvas_ = new LargeViewCanvas(*this);
    canvas_->setObjectName(QStringLiteral("LargeViewPicture"));
    canvas_->setAccessibleName(QString::fromUtf8(ui::kLargeViewPictureName));
    canvas_->setFocusPolicy(Qt::StrongFocus);
    canvas_->setMinimumSize(160, 120);
    info_ = new QLabel(this);
    info_->setObjectName(QStringLiteral("LargeViewSizes"));
    info_->setAccessibleName(QString::fromUtf8(ui::kLargeViewSizes));
    info_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    info_->setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(canvas_, 1);
    layout->addWidget(info_);

    channel_ = new preview::SurfaceChannel(loader, this);
    connect(channel_, &preview::SurfaceChannel::ready, this,
            [this](const preview::PictureSurface& surface) {
                surface_ = surface;
                surfaceCurrent_ = true;
                // The header and the decode disagree only for a damaged picture; the pixels
                // are what is shown.
                if (surface.hasPicture() && surface.storedSize != pictureSize_) {
                    pictureSize_ = surface.storedSize;
                    refreshOverlay();
                }
                canvas_->update();
            });
    connect(channel_, &preview::SurfaceChannel::waitingChanged, this, [this](bool waiting) {
        if (waiting)
            canvas_->setCursor(Qt::BusyCursor);
        else
            canvas_->unsetCursor();
    });
    resizeSettle_.setSingleShot(true);
    connect(&resizeSettle_, &QTimer::timeout, this, &LargeView::requestSurface);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);

    const QRect screen = this->screen()->availableGeometry();
    resize(std::max(screen.width() * 2 / 3, 480), std::max(screen.height() * 2 / 3, 360));
}

void LargeView::showPicture(int slot, const puzzle::ImageSource& source, int pieceCount) {
    slot_ = slot == 0 ? 0 : 1;
    pieceCount_ = pieceCount;
    setWindowTitle(QString::fromUtf8(ui::kLargeViewTitle)
                       .arg(QString::fromUtf8(slot_ == 0 ? ui::kPuzzleImage : ui::kFinishedImage)));
    setAccessibleName(windowTitle());
    source_ = source;
    refreshSource();
    show();
    raise();
    activateWindow();
    canvas_->setFocus();
    // The canvas takes its final size (the sizes text included) before its pixels are asked for.
    layout()->activate();
    requestSurface();
}

void LargeView::setPieceCount(int pieceCount) {
    if (pieceCount == pieceCount_)
        return;
    pieceCount_ = pieceCount;
    if (isVisible())
        refreshOverlay();
}

void LargeView::setSource(const puzzle::ImageSource& source) {
    source_ = source;
    // A closed view catches up when it is shown again.
    if (!isVisible())
        return;
    refreshSource();
    requestSurface();
}

void LargeView::refreshSource() {
    pictureSize_ = preview::pictureSizeOf(source_);
    surfaceCurrent_ = false;
    refreshOverlay();
}

void LargeView::requestSurface() {
    if (!isVisible())
        return;
    const QSize bounds = canvas_->size() * canvas_->devicePixelRatio();
    channel_->show(source_, {preview::SurfaceLayout::Fitted, bounds});
}

void LargeView::canvasResized() {
    canvas_->update();
    if (isVisible())
        resizeSettle_.start(kResizeSettleMs);
}

void LargeView::refreshOverlay() {
    overlay_ = slot_ == 0 ? pieces::OverlayPieceGrid(pictureSize_.width(), pictureSize_.height(),
                                                     pieceCount_)
                          : pieces::PieceOverlay{};
    QString text;
    if (pictureSize_.isEmpty()) {
        text = QString::fromUtf8(ui::kLargeViewNoPicture);
    } else {
        text = QString::fromUtf8(ui::kLargeViewPictureSize)
                   .arg(pictureSize_.width())
                   .arg(pictureSize_.height());
        if (overlay_.hasGrid())
            text += QStringLiteral("　") + QString::fromUtf8(ui::kLargeViewGrid)
                                               .arg(overlay_.grid.columns)
                                               .arg(overlay_.grid.rows)
                                               .arg(overlay_.grid.pieceCount())
                                               .arg(qRound(overlay_.pieceWidth))
                                               .arg(qRound(overlay_.pieceHeight));
    }
    info_->setText(text);
    canvas_->update();
}

QRect LargeView::pictureRect() const {
    return centred(preview::fittedSize(pictureSize_, canvas_->size()), canvas_->rect());
}

void LargeView::paintCanvas(QPainter& painter) {
    painter.fillRect(canvas_->rect(), kBackground);
    if (pictureSize_.isEmpty())
        return;
    if (!surfaceCurrent_ && surface_.hasPicture()) {
        // The picture before, in its own shape and without a grid, until the new one lands.
        painter.drawImage(
            centred(preview::fittedSize(surface_.storedSize, canvas_->size()), canvas_->rect()),
            surface_.image);
        return;
    }
    const QRect r = pictureRect();
    if (surface_.hasPicture())
        painter.drawImage(r, surface_.image);
    else
        painter.fillRect(r, kPlaceholder);
    if (!overlay_.hasGrid())
        return;

    const double sx = double(r.width()) / pictureSize_.width();
    const double sy = double(r.height()) / pictureSize_.height();
    const double left = r.left();
    const double top = r.top();
    const double right = left + overlay_.columnCuts.back() * sx;
    const double bottom = top + overlay_.rowCuts.back() * sy;
    // What lies beyond the last cut belongs to no piece.
    painter.fillRect(QRectF(right, top, r.right() + 1 - right, r.height()), kUncutShade);
    painter.fillRect(QRectF(left, bottom, right - left, r.bottom() + 1 - bottom), kUncutShade);
    // Dark under light, so the cuts show on any picture.
    for (const QPen& pen : {QPen(QColor(0, 0, 0, 150), 3), QPen(QColor(255, 255, 255, 230), 1)}) {
        painter.setPen(pen);
        for (const double x : overlay_.columnCuts)
            painter.drawLine(QLineF(left + x * sx, top, left + x * sx, bottom));
        for (const double y : overlay_.rowCuts)
            painter.drawLine(QLineF(left, top + y * sy, right, top + y * sy));
    }
}

void LargeView::closeEvent(QCloseEvent* event) {
    channel_->cancel();
    resizeSettle_.stop();
    surface_ = {};
    surfaceCurrent_ = false;
    QWidget::closeEvent(event);
}

} // namespace pdt::app
