#pragma once
// Prompts for widget tests: records everything the editor shows and answers from a script.
// A prompt the script did not foresee fails the test and is answered with "cancel".

#include "app/prompts.h"

#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pdt::test {

struct ShownMessage {
    std::string text;
    std::string caption;
    puzzle::MessageIcon icon = puzzle::MessageIcon::None;
    QString owner; // objectName of the owning window ("PASSWORD" for the password prompt)

    bool operator==(const ShownMessage&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const ShownMessage& m) {
    return os << "{\"" << m.text << "\", \"" << m.caption << "\", icon " << int(m.icon)
              << ", owner " << m.owner.toStdString() << "}";
}

class FakePrompts : public app::Prompts {
  public:
    // Recorded.
    std::vector<ShownMessage> messages;
    std::vector<app::Question> questions;
    std::vector<app::FileDialogRequest> openRequests;
    std::vector<app::FileDialogRequest> saveRequests;
    int progressUpdates = 0;

    // Scripted answers, used front first.
    std::deque<bool> answers;
    // File dialog answers; an empty one cancels the dialog.
    std::deque<QString> openChoices;
    std::deque<QString> saveChoices;
    std::deque<QStringList> openManyChoices;
    // One entry list per password prompt: each is typed and confirmed in turn; when all
    // are refused the prompt is cancelled.
    std::deque<std::vector<QString>> passwordEntries;
    // A progress (save or picture checks) asks to cancel at this update of its own (1 = the
    // first); progressUpdates counts the updates of the latest one.
    std::optional<int> cancelProgressAt;
    int pictureChecks = 0; // picture check progresses begun
    // Runs at each update of a progress, as whatever else the event loop delivers meanwhile.
    std::function<void()> duringProgress;

    void showMessage(QWidget* owner, const puzzle::UserMessage& m) override {
        messages.push_back({m.text, m.caption, m.icon, owner ? owner->objectName() : QString()});
    }

    bool ask(QWidget*, const app::Question& q) override {
        questions.push_back(q);
        return next(answers, "question: " + q.text, false);
    }

    std::optional<QString> chooseOpenFile(QWidget*, const app::FileDialogRequest& r) override {
        openRequests.push_back(r);
        return chosen(next(openChoices, "open dialog", QString()));
    }

    std::optional<QString> chooseSaveFile(QWidget*, const app::FileDialogRequest& r) override {
        saveRequests.push_back(r);
        return chosen(next(saveChoices, "save dialog", QString()));
    }

    QStringList chooseOpenFiles(QWidget*, const app::FileDialogRequest& r) override {
        openRequests.push_back(r);
        return next(openManyChoices, "open dialog for several files", QStringList());
    }

    bool askPassword(QWidget*, const app::PasswordCheck& check) override {
        for (const QString& typed : next(passwordEntries, "password prompt", {})) {
            const auto refusal = check(typed);
            if (!refusal)
                return true;
            messages.push_back({refusal->text, refusal->caption, refusal->icon, "PASSWORD"});
        }
        return false;
    }

    std::unique_ptr<app::ProgressReport> beginSaveProgress(QWidget*) override {
        progressUpdates = 0;
        return std::make_unique<Progress>(*this);
    }
    std::unique_ptr<app::ProgressReport> beginPictureCheckProgress(QWidget*) override {
        progressUpdates = 0;
        ++pictureChecks;
        return std::make_unique<Progress>(*this);
    }

  private:
    struct Progress : app::ProgressReport {
        explicit Progress(FakePrompts& owner) : owner(owner) {}
        bool update(std::uint64_t, std::uint64_t) override {
            ++owner.progressUpdates;
            if (owner.duringProgress)
                owner.duringProgress();
            return !(owner.cancelProgressAt && owner.progressUpdates >= *owner.cancelProgressAt);
        }
        FakePrompts& owner;
    };

    // The next scripted answer; without one, a failure and the given cancel.
    template <typename T>
    static T next(std::deque<T>& script, const std::string& what, const T& cancel) {
        if (script.empty()) {
            ADD_FAILURE() << "unexpected " << what;
            return cancel;
        }
        T answer = script.front();
        script.pop_front();
        return answer;
    }
    static std::optional<QString> chosen(const QString& name) {
        return name.isEmpty() ? std::nullopt : std::make_optional(name);
    }
};

} // namespace pdt::test
