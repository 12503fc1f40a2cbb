#include "app/picture_intake.h"

#include "app/input_pause.h"
#include "app/posted.h"
#include "app/prompts.h"

#include <QDir>
#include <QWidget>

namespace pdt::app {

PictureIntake::PictureIntake(QWidget* window, Prompts& prompts, QString madeFolder,
                             bool removeMadeAtEnd)
    : QObject(window), window_(window), prompts_(prompts), made_(std::move(madeFolder)),
      removeMadeAtEnd_(removeMadeAtEnd) {}

PictureIntake::~PictureIntake() {
    if (removeMadeAtEnd_)
        QDir(made_.folder()).removeRecursively();
}

void PictureIntake::check(std::vector<std::string> nativePaths, Checked then) {
    run(checkJobs(nativePaths), [this, paths = nativePaths, then = std::move(then)](
                                    const auto& facts) { mend(paths, facts, then); });
}

void PictureIntake::cancelAll() {
    waiting_.clear();
    if (running_)
        running_->cancel();
}

void PictureIntake::run(std::vector<PictureJob> jobs, Checked then) {
    // A command that comes while another's pictures are checked (only the program itself
    // can give one then) waits for its turn.
    if (running_) {
        waiting_.emplace_back(std::move(jobs), std::move(then));
        return;
    }
    pause_ = std::make_unique<InputPause>(window_);
    auto* run =
        new PictureCheckRun(std::move(jobs), prompts_.beginPictureCheckProgress(window_), this);
    running_ = run;
    const auto ended = [this, run] {
        run->deleteLater();
        running_ = nullptr;
        pause_.reset();
        if (waiting_.empty())
            return;
        auto [jobs, next] = std::move(waiting_.front());
        waiting_.pop_front();
        post(this, [this, jobs = std::move(jobs), next = std::move(next)]() mutable {
            this->run(std::move(jobs), std::move(next));
        });
    };
    connect(run, &PictureCheckRun::cancelled, this, ended);
    connect(run, &PictureCheckRun::finished, this,
            [ended, then = std::move(then)](const std::vector<session::PictureFacts>& facts) {
                ended();
                then(facts);
            });
}

void PictureIntake::mend(const std::vector<std::string>& nativePaths,
                         std::vector<session::PictureFacts> facts, Checked then) {
    const MendingOffer offer = mendingOffer(facts);
    std::vector<PictureJob> jobs;
    std::vector<size_t> mended;
    if (!offer.convert.empty() && prompts_.ask(window_, conversionQuestion(facts, offer.convert)))
        for (const size_t i : offer.convert) {
            jobs.push_back(made_.conversion(nativePaths[i]));
            mended.push_back(i);
        }
    if (!offer.turn.empty() && prompts_.ask(window_, uprightQuestion(offer.turn.size())))
        for (const size_t i : offer.turn) {
            jobs.push_back(made_.turning(nativePaths[i]));
            mended.push_back(i);
        }
    if (jobs.empty()) {
        then(facts);
        return;
    }
    run(std::move(jobs), [facts = std::move(facts), mended, then = std::move(then)](
                             const std::vector<session::PictureFacts>& made) mutable {
        for (size_t k = 0; k < mended.size() && k < made.size(); ++k)
            facts[mended[k]] = made[k];
        then(facts);
    });
}

} // namespace pdt::app
