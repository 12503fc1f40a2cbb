#include "app/picture_refusal.h"

#include "app/prompts.h"
#include "app/ui_texts.h"
#include "preview/picture_check.h"

#include <QThreadPool>

#include <atomic>
#include <mutex>

namespace pdt::app {

namespace {

// How often the progress is updated while the checks run.
constexpr int kPollMs = 15;

// The text naming what a picture the decoder cannot read is; nothing when that is unknown.
std::optional<QString> unreadableText(const preview::UnreadableReason& reason) {
    using K = preview::UnreadableKind;
    const auto text = [](const char* t) { return QString::fromUtf8(t); };
    switch (reason.kind) {
    case K::None:
        return std::nullopt;
    case K::JpegPrecision:
        return text(ui::kPictureJpegPrecision).arg(reason.detail);
    case K::JpegLossless:
        return text(ui::kPictureJpegLossless);
    case K::JpegHierarchical:
        return text(ui::kPictureJpegHierarchical);
    case K::BmpWithJpeg:
        return text(ui::kPictureBmpWithJpeg);
    case K::BmpWithPng:
        return text(ui::kPictureBmpWithPng);
    case K::BmpHeaderVersion:
        return text(ui::kPictureBmpHeader).arg(reason.detail);
    case K::GifZeroSide:
        return text(ui::kPictureGifZeroSide);
    case K::OtherFormat:
        return text(ui::kPictureOtherFormat).arg(QString::fromStdString(reason.format));
    }
    return std::nullopt;
}

const char* problemText(preview::PictureProblem problem) {
    switch (problem) {
    case preview::PictureProblem::None:
    case preview::PictureProblem::NotAFile:
    case preview::PictureProblem::Unreadable:
        return ui::kPictureUnreadable;
    case preview::PictureProblem::UnknownKind:
        return ui::kPictureNotKnown;
    case preview::PictureProblem::Damaged:
        return ui::kPictureDamaged;
    case preview::PictureProblem::TooLarge:
        return ui::kPictureTooLarge;
    }
    return ui::kPictureDamaged;
}

} // namespace

std::optional<puzzle::UserMessage> pictureRefusal(const preview::PictureCheck& check) {
    if (check.ok())
        return std::nullopt;
    const std::optional<QString> named = unreadableText(check.unreadable);
    return puzzle::UserMessage{named ? named->toStdString() : problemText(check.problem),
                               ui::kCaptionInformation, puzzle::MessageIcon::Error};
}

session::PictureFacts checkPicture(const std::string& nativePath) {
    const preview::PictureCheck check = preview::checkPictureFile(nativePath);
    session::PictureFacts facts;
    facts.refusal = pictureRefusal(check);
    facts.width = check.width; // the stored size, as the shown pattern's piece counts read it
    facts.height = check.height;
    if (check.unreadable.kind == preview::UnreadableKind::OtherFormat)
        facts.otherFormat = check.unreadable.format;
    facts.orientation = check.orientation;
    return facts;
}

// Shared with the workers, which may still run after the run has ended.
struct PictureCheckRun::Batch {
    std::mutex mutex;
    std::vector<session::PictureFacts> results;
    std::size_t done = 0;
    std::atomic<bool> cancelled = false;
};

std::vector<PictureJob> checkJobs(const std::vector<std::string>& nativePaths) {
    std::vector<PictureJob> jobs;
    for (const std::string& path : nativePaths)
        jobs.push_back([path] { return checkPicture(path); });
    return jobs;
}

PictureCheckRun::PictureCheckRun(std::vector<PictureJob> jobs,
                                 std::unique_ptr<ProgressReport> progress, QObject* parent)
    : QObject(parent), batch_(std::make_shared<Batch>()), progress_(std::move(progress)) {
    batch_->results.resize(jobs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        QThreadPool::globalInstance()->start([batch = batch_, i, job = std::move(jobs[i])] {
            session::PictureFacts facts;
            if (!batch->cancelled) // a cancelled batch's waiting checks are skipped
                facts = job();
            std::lock_guard lock(batch->mutex);
            batch->results[i] = std::move(facts);
            ++batch->done;
        });
    }
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &PictureCheckRun::poll);
    poll_.start();
}

PictureCheckRun::~PictureCheckRun() {
    batch_->cancelled = true;
}

void PictureCheckRun::poll() {
    if (ended_)
        return;
    std::size_t done = 0;
    {
        std::lock_guard lock(batch_->mutex);
        done = batch_->done;
    }
    const std::size_t total = batch_->results.size();
    if (progress_) {
        // The update may run the event loop (a modal progress does), and a close arriving
        // there cancels this run: the progress goes only once its update has returned.
        updating_ = true;
        const bool goOn = progress_->update(done, total);
        updating_ = false;
        if (ended_) {
            progress_.reset();
            return;
        }
        if (!goOn) {
            cancel();
            return;
        }
    }
    if (done < total)
        return;
    end();
    std::vector<session::PictureFacts> results;
    {
        std::lock_guard lock(batch_->mutex);
        results = std::move(batch_->results);
    }
    emit finished(results);
}

void PictureCheckRun::cancel() {
    if (ended_)
        return;
    batch_->cancelled = true;
    end();
    emit cancelled();
}

void PictureCheckRun::end() {
    ended_ = true;
    poll_.stop();
    if (!updating_)
        progress_.reset(); // closes what the progress showed
}

} // namespace pdt::app
