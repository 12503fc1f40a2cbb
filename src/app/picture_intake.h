#pragma once
// Pictures on their way into the document. They are checked on worker threads under a
// progress, the window taking no input meanwhile; those the player cannot use as they are
// are mended when the author agrees (picture_mending.h); then the command that asked goes
// on with the facts. One run at a time, in the order asked.

#include "app/picture_mending.h"
#include "app/picture_refusal.h"
#include "session/edit_session.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QWidget;

namespace pdt::app {

class InputPause;
class Prompts;

class PictureIntake : public QObject {
  public:
    // The made pictures live in `madeFolder`, removed with this object when
    // `removeMadeAtEnd` (a folder of the window's own, not a recovery slot's).
    PictureIntake(QWidget* window, Prompts& prompts, QString madeFolder, bool removeMadeAtEnd);
    ~PictureIntake() override;

    // `then` runs with the facts, one per path, unless the run was cancelled.
    using Checked = std::function<void(const std::vector<session::PictureFacts>&)>;
    void check(std::vector<std::string> nativePaths, Checked then);
    // Forgets every run asked for; the one running stops and never calls its `then`.
    void cancelAll();
    bool busy() const { return running_ || !waiting_.empty(); }
    const MadePictures& made() const { return made_; }

  private:
    void run(std::vector<PictureJob> jobs, Checked then);
    // Asks once for each kind of mending the pictures allow; what the author agrees to is
    // made and checked, and its facts take the place of the chosen picture's.
    void mend(const std::vector<std::string>& nativePaths, std::vector<session::PictureFacts> facts,
              Checked then);

    QWidget* window_;
    Prompts& prompts_;
    MadePictures made_;
    bool removeMadeAtEnd_;
    QPointer<PictureCheckRun> running_;
    std::deque<std::pair<std::vector<PictureJob>, Checked>> waiting_;
    std::unique_ptr<InputPause> pause_;
};

} // namespace pdt::app
