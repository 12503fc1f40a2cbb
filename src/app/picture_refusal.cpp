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

} // namespace

std::optional<puzzle::UserMessage> pictureRefusal(const preview::PictureCheck& check) {
    const char* text = nullptr;
    switch (check.problem) {
    case preview::PictureProblem::None:
        return std::nullopt;
    case preview::PictureProblem::NotAFile:
    case preview::PictureProblem::Unreadable:
        text = ui::kPictureUnreadable;
        break;
    case preview::PictureProblem::UnknownKind:
        text = ui::kPictureNotKnown;
        break;
    case preview::PictureProblem::Damaged:
        text = ui::kPictureDamaged;
        break;
    case preview::PictureProblem::TooLarge:
        text = ui::kPictureTooLarge;
        break;
    }
    return puzzle::UserMessage{text, ui::kCaptionInformation, puzzle::MessageIcon::Error};
}

session::PictureFacts checkPicture(const std::string& nativePath) {
    const preview::PictureCheck check = preview::checkPictureFile(nativePath);
    session::PictureFacts facts;
    facts.refusal = pictureRefusal(check);
    facts.width = check.width; // the stored size, as the shown pattern's piece counts read it
    facts.height = check.height;
    return facts;
}

// Shared with the workers, which may still run after the run has ended.
struct PictureCheckRun::Batch {
    std::mutex mutex;
    std::vector<session::PictureFacts> results;
    std::size_t done = 0;
    std::atomic<bool> cancelled = false;
};

PictureCheckRun::PictureCheckRun(std::vector<std::string> nativePaths,
                                 std::unique_ptr<ProgressReport> progress, QObject* parent)
    : QObject(parent), batch_(std::make_shared<Batch>()), progress_(std::move(progress)) {
    batch_->results.resize(nativePaths.size());
    for (std::size_t i = 0; i < nativePaths.size(); ++i) {
        QThreadPool::globalInstance()->start([batch = batch_, i, path = nativePaths[i]] {
            session::PictureFacts facts;
            if (!batch->cancelled) // a cancelled batch's waiting checks are skipped
                facts = checkPicture(path);
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
