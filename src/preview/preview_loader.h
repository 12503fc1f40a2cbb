#pragma once
// Pictures decoded on worker threads into finished surfaces, handed to the GUI thread by a
// queued call and kept in a cache, so that showing a pattern never waits for a decode.
//
// Everything here but the decode function runs on the thread that owns the loader (the GUI
// thread). A request is answered at once from the cache, or later through surfaceReady with
// the ticket the request got; a ticket that is cancelled, or superseded in a SurfaceChannel,
// is never answered, so a late decode cannot land where something else is shown by now.

#include "preview/picture_cache.h"
#include "preview/picture_decoder.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace pdt::preview {

// Set when nobody wants a decode any more; the decode may stop early.
using CancelFlag = std::atomic<bool>;

// Decodes a picture on a worker thread. Replaceable, so that a test can hold a decode back.
using DecodeFunction = std::function<DecodedPicture(
    const puzzle::ImageSource& source, const WantedSize& wanted, const CancelFlag& cancelled)>;

// The loader's own decode: decodePictureRange through a byte source that stops reading once
// the decode is cancelled, so a picture nobody wants stops within one read.
DecodedPicture decodeCancellable(const puzzle::ImageSource& source, const WantedSize& wanted,
                                 const CancelFlag& cancelled);

// The stored pixel size of a slot's picture from its header alone (pictureSizeOf*): cheap
// enough for the GUI thread, 0 x 0 for no picture.
QSize pictureSizeOf(const puzzle::ImageSource& source);

// A surface as the worker makes it: decoded at the size the shape needs, laid out.
PictureSurface makeSurface(const DecodeFunction& decode, const puzzle::ImageSource& source,
                           const SurfaceShape& shape, const CancelFlag& cancelled);

class PreviewLoader : public QObject {
    Q_OBJECT
  public:
    using Ticket = quint64; // 0 is never a ticket
    using Request = std::pair<puzzle::ImageSource, SurfaceShape>;

    // Higher first. Within one priority, first asked first served.
    enum class Priority { Prefetch, Thumbnail, Shown };

    // The author counts as idle this long after the last shown request.
    static constexpr int kIdleMs = 150;

    explicit PreviewLoader(QObject* parent = nullptr);
    // threads: at least 1; a test passes 1 to control the order of decodes.
    PreviewLoader(DecodeFunction decode, int threads, QObject* parent = nullptr);
    ~PreviewLoader() override;

    struct Answer {
        std::optional<PictureSurface> surface; // answered at once
        Ticket ticket = 0;                     // or: surfaceReady(ticket, ...) follows
    };
    // A surface of the picture laid out as `shape`: at once from the cache, or at once as no
    // picture when there is nothing to read; otherwise decoded on a worker. Requests for the
    // same surface share one decode.
    Answer load(const puzzle::ImageSource& source, const SurfaceShape& shape,
                Priority priority = Priority::Shown);
    // The ticket is never answered. A decode nobody else waits for is dropped from the
    // queue, or told to stop when it has started (its result is then thrown away).
    void cancel(Ticket ticket);
    // The surface at once when it is cached, or when there is nothing to read (no picture);
    // else nothing, and it is decoded into the cache without anyone waiting (surfaceCached
    // follows): thumbnails.
    std::optional<PictureSurface> cachedOrFetched(const puzzle::ImageSource& source,
                                                  const SurfaceShape& shape,
                                                  Priority priority = Priority::Thumbnail);
    // Replaces what is decoded ahead into the cache: one picture at a time, only while no
    // other decode runs or waits and the author has been idle for kIdleMs.
    void prefetch(std::vector<Request> requests);

    std::optional<PictureSurface> cached(const puzzle::ImageSource& source,
                                         const SurfaceShape& shape);
    PictureCache& cache() { return cache_; }
    // Decodes queued, running, or stopping after a cancel.
    int busyCount() const;

  signals:
    void surfaceReady(quint64 ticket, const pdt::preview::PictureSurface& surface);
    // A surface was decoded into the cache.
    void surfaceCached();

  private:
    struct Job {
        quint64 id = 0;
        puzzle::ImageSource source;
        Priority priority = Priority::Prefetch;
        std::vector<Ticket> tickets;
        bool keep = false; // fetched or prefetched: wanted in the cache even without tickets
        bool running = false;
        std::shared_ptr<CancelFlag> cancelled = std::make_shared<CancelFlag>(false);
    };

    // Where a picture stands: without a key (no identity, or no size wanted) it is no
    // picture; with a key, its surface when it is cached.
    struct Lookup {
        std::optional<SurfaceKey> key;
        std::optional<PictureSurface> surface;
    };
    Lookup lookup(const puzzle::ImageSource& source, const SurfaceShape& shape);
    Job& want(const SurfaceKey& key, const puzzle::ImageSource& source, Priority priority);
    void drop(QHash<SurfaceKey, Job>::iterator it);
    void schedule();
    void start(const SurfaceKey& key, Job& job);
    void finished(quint64 id, const SurfaceKey& key, const PictureSurface& surface);

    DecodeFunction decode_;
    int threads_ = 1;
    PictureCache cache_;
    QHash<SurfaceKey, Job> jobs_; // queued or running, and still wanted
    QHash<Ticket, SurfaceKey> tickets_;
    std::vector<Request> prefetch_;
    int running_ = 0;  // workers in use, stopping ones included
    int stopping_ = 0; // running decodes that were dropped and have not returned yet
    quint64 nextId_ = 1;
    Ticket nextTicket_ = 1;
    QElapsedTimer sinceShown_;
    QTimer idleTimer_;
    QThreadPool pool_;
};

// One place a picture is shown in: a preview frame, the large view. Each show supersedes the
// one before, whose answer is then never delivered.
class SurfaceChannel : public QObject {
    Q_OBJECT
  public:
    // A request still unanswered after this long counts as waiting (for a busy cursor).
    static constexpr int kWaitingMs = 100;

    explicit SurfaceChannel(PreviewLoader& loader, QObject* parent = nullptr);
    ~SurfaceChannel() override;

    // ready() is emitted before this returns when the answer is at hand (cached, or no
    // picture), and then true is returned; else it follows from the loader.
    bool show(const puzzle::ImageSource& source, const SurfaceShape& shape,
              PreviewLoader::Priority priority = PreviewLoader::Priority::Shown);
    // Nothing more is delivered for the last show.
    void cancel();
    bool pending() const { return ticket_ != 0; }
    bool waiting() const { return waiting_; }

  signals:
    void ready(const pdt::preview::PictureSurface& surface);
    void waitingChanged(bool waiting);

  private:
    void setWaiting(bool waiting);

    QPointer<PreviewLoader> loader_;
    PreviewLoader::Ticket ticket_ = 0;
    bool waiting_ = false;
    QTimer waitTimer_;
};

} // namespace pdt::preview
