#pragma once
// Unsaved work outlives the editor. Every running editor has a slot of its own under the
// recovery folder: a lock it holds while it runs, the journal of its unsaved state and the
// history's copies of pictures. A slot whose lock nobody holds belonged to an editor that
// died; at the next start its journal is offered back. Slots live in
// <application data>/recovery/<id>/, their locks beside them as <id>.lock; both are the
// user's alone (the journal holds the password).

#include "session/edit_session.h"
#include "session/journal.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

class QLockFile;

namespace pdt::app {

class Prompts;

class RecoverySlot {
  public:
    ~RecoverySlot(); // releases the lock; what is on disk stays for the next start
    RecoverySlot(const RecoverySlot&) = delete;
    RecoverySlot& operator=(const RecoverySlot&) = delete;

    // <application data>/recovery, or the folder PUZZLE_DATA_TOOL_RECOVERY names.
    static QString defaultRoot();
    // A new slot for this run, locked; nothing when it cannot be made (the editor then runs
    // without a journal).
    static std::unique_ptr<RecoverySlot> create(const QString& root);
    // The slots of editors no longer running that hold a journal, the newest change first,
    // each locked by this process now. Such slots without a journal are removed on the way.
    static std::vector<std::unique_ptr<RecoverySlot>> orphans(const QString& root);

    QString journalPath() const;
    // Where the history keeps its copies of pictures (native path).
    std::string copiesFolder() const;
    // The journal's last change, from the journal itself (invalid when it cannot be read).
    QDateTime changedAt() const;
    std::variant<session::Journal, std::string> read() const;

    // The state this run took up from the slot, its pictures checked.
    struct Recovered {
        session::JournalState state;
        std::vector<session::MovedPicture> moved;
    };
    const std::optional<Recovered>& recovered() const { return recovered_; }
    void adopt(Recovered recovered) { recovered_ = std::move(recovered); }

    // The journal keeps its name aside ("journal.damaged-<time>"), never offered again.
    QString setAside();
    // Removes the slot: journal, copies and lock. Call when nothing needs them any more.
    void remove();

  private:
    RecoverySlot(QString folder, std::unique_ptr<QLockFile> lock);

    QString folder_;
    std::unique_ptr<QLockFile> lock_;
    std::optional<Recovered> recovered_;
};

// Offers every journal left by an editor that died, newest first, until one is taken up:
// the slot of that one, holding its recovered state, or else a new slot (or nothing when
// none can be made). A journal declined twice is deleted; a damaged one is set aside.
std::unique_ptr<RecoverySlot> OfferRecovery(const QString& root, Prompts& prompts);

// Writes the session's unsaved state to the slot's journal a short quiet period after the
// last change (at most two seconds after the first unwritten one), off the GUI thread, with
// the atomic replacement saves use: the journal is always the previous state or the new one.
// Once the session is saved or discarded, the journal goes.
class JournalWriter : public QObject {
    Q_OBJECT
  public:
    static constexpr int kQuietMs = 400;
    static constexpr int kLatestMs = 2000;

    JournalWriter(const session::EditSession& session, RecoverySlot& slot,
                  QObject* parent = nullptr);
    ~JournalWriter() override; // waits for a write under way

    // The session changed: a write is due, or the journal goes.
    void sessionChanged();
    // Does what is due now and waits until it is on the disk.
    void flush();

  private:
    struct Shared;
    void writeNow();
    void hand(std::optional<session::JournalState> next);

    const session::EditSession& session_;
    std::shared_ptr<Shared> shared_;
    QTimer quiet_;
    QDateTime firstPending_;
    QDateTime lastChange_;
    QThreadPool worker_;
};

} // namespace pdt::app
