#include "app/picture_refusal.h"

#include "app/prompts.h"
#include "app/ui_texts.h"
#include "preview/picture_check.h"
#include "preview/picture_decoder.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace pdt::app {

std::optional<puzzle::UserMessage> pictureRefusal(const std::string& nativePath) {
    const char* text = nullptr;
    switch (preview::checkPictureFile(nativePath).problem) {
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

std::optional<std::vector<PictureCheck>> checkPictures(const std::vector<std::string>& nativePaths,
                                                       ProgressReport* progress) {
    // Shared with the workers, which may still run after a cancel has returned.
    struct Batch {
        std::mutex mutex;
        std::condition_variable finished;
        std::vector<PictureCheck> results;
        std::size_t done = 0;
        std::atomic<bool> cancelled = false;
    };
    const auto batch = std::make_shared<Batch>();
    batch->results.resize(nativePaths.size());
    for (std::size_t i = 0; i < nativePaths.size(); ++i) {
        QThreadPool::globalInstance()->start([batch, i, path = nativePaths[i]] {
            PictureCheck result;
            if (!batch->cancelled) { // a cancelled batch's waiting checks are skipped
                result.refusal = pictureRefusal(path);
                // From the header, as the shown pattern's piece counts will be: a header
                // read costs microseconds beside the decode.
                result.size = preview::pictureSizeOfFile(path);
            }
            std::lock_guard lock(batch->mutex);
            batch->results[i] = std::move(result);
            ++batch->done;
            batch->finished.notify_all();
        });
    }
    const std::size_t total = nativePaths.size();
    for (;;) {
        std::size_t done;
        {
            std::unique_lock lock(batch->mutex);
            batch->finished.wait_for(lock, std::chrono::milliseconds(15),
                                     [&] { return batch->done == total; });
            done = batch->done;
        }
        if (progress && !progress->update(done, total)) {
            batch->cancelled = true;
            return std::nullopt;
        }
        if (done == total)
            break;
        // Repaints and the progress dialog go on; a click on the window waits until the end.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    std::lock_guard lock(batch->mutex);
    return std::move(batch->results);
}

} // namespace pdt::app
