#include "preview/preview_loader.h"

#include "preview/preview_surfaces.h"
#include "puzzle/slot_bytes.h"

#include <QRunnable>
#include <QThread>

#include <algorithm>

namespace pdt::preview {

namespace {

// A source that fails every read once the decode is cancelled: the decoder then gives up
// as it does on a file that cannot be read, instead of decoding to the end for nobody.
class CancellableSource final : public puzzle::ByteSource {
  public:
    CancellableSource(puzzle::ByteSource& inner, const CancelFlag& cancelled)
        : inner_(inner), cancelled_(cancelled) {}
    std::uint64_t size() const override { return inner_.size(); }
    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        return !cancelled_.load(std::memory_order_relaxed) && inner_.readAt(offset, out);
    }

  private:
    puzzle::ByteSource& inner_;
    const CancelFlag& cancelled_;
};

// Painting converts anything else on every paint.
QImage paintable(QImage image) {
    const QImage::Format format =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != format)
        image.convertTo(format);
    return image;
}

} // namespace

DecodedPicture decodeCancellable(const puzzle::ImageSource& source, const WantedSize& wanted,
                                 const CancelFlag& cancelled) {
    if (cancelled)
        return {};
    const std::optional<puzzle::SlotBytes> bytes = puzzle::OpenSlotBytes(source);
    if (!bytes)
        return {};
    CancellableSource cancellable(*bytes->file, cancelled);
    return decodePictureRange(cancellable, bytes->offset, bytes->size, wanted, kPreviewSampling);
}

QSize pictureSizeOf(const puzzle::ImageSource& source) {
    if (source.size == 0)
        return {0, 0};
    const std::optional<puzzle::SlotBytes> bytes = puzzle::OpenSlotBytes(source);
    if (!bytes)
        return {0, 0};
    return pictureSizeOfRange(*bytes->file, bytes->offset, bytes->size);
}

PictureSurface makeSurface(const DecodeFunction& decode, const puzzle::ImageSource& source,
                           const SurfaceShape& shape, const CancelFlag& cancelled) {
    const QSize size = shape.size;
    const WantedSize wanted =
        shape.layout == SurfaceLayout::Frame
            ? previewDrawnSize(size.width(), size.height())
            : WantedSize([size](QSize stored) { return fittedSize(stored, size); });
    const DecodedPicture picture = decode(source, wanted, cancelled);
    if (!picture.ok())
        return {};
    PictureSurface surface;
    surface.storedSize = QSize(picture.decodedWidth, picture.decodedHeight);
    if (shape.layout == SurfaceLayout::Frame) {
        surface.image = QImage(size, QImage::Format_RGB32);
        drawPreviewPicture(surface.image, picture);
    } else {
        surface.image = paintable(picture.pixels);
    }
    if (surface.image.isNull())
        return {};
    return surface;
}

PreviewLoader::PreviewLoader(QObject* parent)
    : PreviewLoader(decodeCancellable, std::clamp(QThread::idealThreadCount(), 2, 4), parent) {}

PreviewLoader::PreviewLoader(DecodeFunction decode, int threads, QObject* parent)
    : QObject(parent), decode_(std::move(decode)), threads_(std::max(threads, 1)) {
    // Room for the decodes that are stopping beside those that work.
    pool_.setMaxThreadCount(2 * threads_);
    pool_.setObjectName(QStringLiteral("PreviewLoader"));
    idleTimer_.setSingleShot(true);
    connect(&idleTimer_, &QTimer::timeout, this, &PreviewLoader::schedule);
}

PreviewLoader::~PreviewLoader() {
    for (Job& job : jobs_)
        job.cancelled->store(true);
    jobs_.clear();
    // The workers call back into this object: they must be done before it goes.
    pool_.waitForDone();
}

PreviewLoader::Job& PreviewLoader::want(const SurfaceKey& key, const puzzle::ImageSource& source,
                                        Priority priority) {
    auto it = jobs_.find(key);
    if (it != jobs_.end()) {
        it->priority = std::max(it->priority, priority);
        return *it;
    }
    Job job;
    job.id = nextId_++;
    job.source = source;
    job.priority = priority;
    return *jobs_.insert(key, std::move(job));
}

PreviewLoader::Answer PreviewLoader::load(const puzzle::ImageSource& source,
                                          const SurfaceShape& shape, Priority priority) {
    if (priority == Priority::Shown)
        sinceShown_.start();
    Lookup found = lookup(source, shape);
    if (!found.key)
        return {PictureSurface{}, 0};
    if (found.surface)
        return {std::move(found.surface), 0};
    const Ticket ticket = nextTicket_++;
    want(*found.key, source, priority).tickets.push_back(ticket);
    tickets_.insert(ticket, *found.key);
    schedule();
    return {std::nullopt, ticket};
}

void PreviewLoader::cancel(Ticket ticket) {
    const auto t = tickets_.find(ticket);
    if (t == tickets_.end())
        return;
    const SurfaceKey key = t.value();
    tickets_.erase(t);
    const auto it = jobs_.find(key);
    if (it == jobs_.end())
        return;
    std::erase(it->tickets, ticket);
    if (it->tickets.empty() && !it->keep)
        drop(it);
}

void PreviewLoader::drop(QHash<SurfaceKey, Job>::iterator it) {
    it->cancelled->store(true);
    if (it->running)
        ++stopping_;
    jobs_.erase(it);
}

std::optional<PictureSurface> PreviewLoader::cachedOrFetched(const puzzle::ImageSource& source,
                                                             const SurfaceShape& shape,
                                                             Priority priority) {
    Lookup found = lookup(source, shape);
    if (!found.key)
        return PictureSurface{};
    if (!found.surface) {
        want(*found.key, source, priority).keep = true;
        schedule();
    }
    return std::move(found.surface);
}

PreviewLoader::Lookup PreviewLoader::lookup(const puzzle::ImageSource& source,
                                            const SurfaceShape& shape) {
    const std::optional<PictureIdentity> picture = identifyPicture(source);
    if (!picture || shape.size.isEmpty())
        return {};
    const SurfaceKey key{*picture, shape};
    return {key, cache_.find(key)};
}

void PreviewLoader::prefetch(std::vector<Request> requests) {
    prefetch_ = std::move(requests);
    std::reverse(prefetch_.begin(), prefetch_.end()); // taken from the back
    schedule();
}

std::optional<PictureSurface> PreviewLoader::cached(const puzzle::ImageSource& source,
                                                    const SurfaceShape& shape) {
    return lookup(source, shape).surface;
}

int PreviewLoader::busyCount() const {
    int queued = 0;
    for (const Job& job : jobs_)
        queued += job.running ? 0 : 1;
    return queued + running_;
}

void PreviewLoader::schedule() {
    // A stopping decode gives its worker back within one read, so the next picture starts
    // beside it at once instead of after it: the author's last key is served first.
    while (running_ - stopping_ < threads_ && running_ < 2 * threads_) {
        auto next = jobs_.end();
        for (auto it = jobs_.begin(); it != jobs_.end(); ++it) {
            if (!it->running && (next == jobs_.end() || it->priority > next->priority ||
                                 (it->priority == next->priority && it->id < next->id)))
                next = it;
        }
        if (next != jobs_.end()) {
            start(next.key(), *next);
            continue;
        }
        // Nothing is wanted: decode ahead, one picture at a time, once the author rests,
        // so that a worker is always free for the next thing the author asks for.
        if (running_ > 0 || !jobs_.isEmpty() || prefetch_.empty())
            return;
        const qint64 rested = sinceShown_.isValid() ? sinceShown_.elapsed() : kIdleMs;
        if (rested < kIdleMs) {
            idleTimer_.start(int(kIdleMs - rested));
            return;
        }
        while (!prefetch_.empty()) {
            const auto [source, shape] = std::move(prefetch_.back());
            prefetch_.pop_back();
            const Lookup found = lookup(source, shape);
            if (!found.key || found.surface)
                continue;
            Job& job = want(*found.key, source, Priority::Prefetch);
            job.keep = true;
            start(*found.key, job);
            return;
        }
        return;
    }
}

void PreviewLoader::start(const SurfaceKey& key, Job& job) {
    job.running = true;
    ++running_;
    pool_.start(
        [this, decode = decode_, source = job.source, key, id = job.id, cancelled = job.cancelled] {
            PictureSurface surface;
            if (!*cancelled)
                surface = makeSurface(decode, source, key.shape, *cancelled);
            QMetaObject::invokeMethod(
                this, [this, id, key, surface = std::move(surface)] { finished(id, key, surface); },
                Qt::QueuedConnection);
        });
}

void PreviewLoader::finished(quint64 id, const SurfaceKey& key, const PictureSurface& surface) {
    --running_;
    const auto it = jobs_.find(key);
    // A job that was dropped is gone, or replaced by a newer one for the same surface; its
    // result may be a decode that stopped half-way, so it is neither kept nor delivered.
    if (it == jobs_.end() || it->id != id) {
        --stopping_;
    } else {
        const std::vector<Ticket> tickets = std::move(it->tickets);
        jobs_.erase(it);
        cache_.insert(key, surface);
        for (const Ticket ticket : tickets) {
            // A handler of an earlier ticket may have cancelled this one.
            if (tickets_.remove(ticket))
                emit surfaceReady(ticket, surface);
        }
        emit surfaceCached();
    }
    schedule();
}

SurfaceChannel::SurfaceChannel(PreviewLoader& loader, QObject* parent)
    : QObject(parent), loader_(&loader) {
    waitTimer_.setSingleShot(true);
    connect(&waitTimer_, &QTimer::timeout, this, [this] { setWaiting(true); });
    connect(&loader, &PreviewLoader::surfaceReady, this,
            [this](quint64 ticket, const PictureSurface& surface) {
                if (ticket == 0 || ticket != ticket_)
                    return;
                ticket_ = 0;
                waitTimer_.stop();
                setWaiting(false);
                emit ready(surface);
            });
}

SurfaceChannel::~SurfaceChannel() {
    if (loader_)
        loader_->cancel(ticket_);
}

bool SurfaceChannel::show(const puzzle::ImageSource& source, const SurfaceShape& shape,
                          PreviewLoader::Priority priority) {
    if (!loader_)
        return false;
    loader_->cancel(ticket_);
    ticket_ = 0;
    PreviewLoader::Answer answer = loader_->load(source, shape, priority);
    if (answer.surface) {
        waitTimer_.stop();
        setWaiting(false);
        emit ready(*answer.surface);
        return true;
    }
    ticket_ = answer.ticket;
    // Waiting counts from the first show that left the content behind, not from the last.
    if (!waiting_ && !waitTimer_.isActive())
        waitTimer_.start(kWaitingMs);
    return false;
}

void SurfaceChannel::cancel() {
    if (loader_)
        loader_->cancel(ticket_);
    ticket_ = 0;
    waitTimer_.stop();
    setWaiting(false);
}

void SurfaceChannel::setWaiting(bool waiting) {
    if (waiting_ == waiting)
        return;
    waiting_ = waiting;
    emit waitingChanged(waiting);
}

} // namespace pdt::preview
