#pragma once
// Whether picture files can be attached: only a picture the decoder reads whole is taken,
// so that every attached picture can be shown and offers its piece counts. The checks
// decode each picture whole, on worker threads, while the window goes on painting.

#include "app/prompts.h"
#include "preview/picture_check.h"
#include "puzzle/user_message.h"
#include "session/edit_session.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pdt::app {

// Nothing for a picture the check accepts; else the message saying why it is refused.
std::optional<puzzle::UserMessage> pictureRefusal(const preview::PictureCheck& check);

// The refusal, and the stored size from the header (as the shown pattern's piece counts
// will read it), of one picture.
session::PictureFacts checkPicture(const std::string& nativePath);

// One check for a worker thread: of a picture, or of one made from it (picture_mending.h).
using PictureJob = std::function<session::PictureFacts()>;
[[nodiscard]] std::vector<PictureJob> checkJobs(const std::vector<std::string>& nativePaths);

// Checks pictures on worker threads, several at once. Progress is reported from the event
// loop, never from a loop of its own, so nothing else runs inside the check: whoever
// started it learns the end through finished() or cancelled(), once. Destroying it, or
// cancel(), stops it; checks already running finish on their threads and are thrown away.
class PictureCheckRun : public QObject {
    Q_OBJECT
  public:
    // `progress` may be null; it is updated while the checks run and may cancel them.
    PictureCheckRun(std::vector<PictureJob> jobs, std::unique_ptr<ProgressReport> progress,
                    QObject* parent = nullptr);
    ~PictureCheckRun() override;

    void cancel();
    bool running() const { return !ended_; }

  signals:
    // One result a job, in order.
    void finished(const std::vector<pdt::session::PictureFacts>& facts);
    void cancelled();

  private:
    struct Batch;
    void poll();
    void end();

    std::shared_ptr<Batch> batch_;
    std::unique_ptr<ProgressReport> progress_;
    QTimer poll_;
    bool ended_ = false;
    bool updating_ = false; // inside the progress's update
};

} // namespace pdt::app
