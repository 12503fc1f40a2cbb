#include "app/recovery.h"

#include "app/file_kinds.h"
#include "app/prompts.h"
#include "app/ui_texts.h"
#include "puzzle/replacement_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QUuid>

#include <algorithm>
#include <condition_variable>
#include <mutex>

namespace pdt::app {

namespace {

const QString kJournalName = QStringLiteral("journal");
const QString kCopiesName = QStringLiteral("copies");
const QString kLockSuffix = QStringLiteral(".lock");

// Only the user may look into the folder: the journal holds the password.
bool makePrivateFolder(const QString& path) {
    if (!QDir().mkpath(path))
        return false;
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A lock held for as long as its editor runs: it is never taken for stale by its age, only
// when its process is gone.
std::unique_ptr<QLockFile> lockOf(const QString& folder) {
    auto lock = std::make_unique<QLockFile>(folder + kLockSuffix);
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

std::variant<session::Journal, std::string> readJournal(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::string("the journal cannot be read");
    const QByteArray bytes = file.readAll();
    return session::DecodeJournal(
        {reinterpret_cast<const std::uint8_t*>(bytes.constData()), size_t(bytes.size())});
}

Question recoveryQuestion(const session::Journal& journal) {
    const std::string& file = journal.state.document.state.currentFilePath;
    const QString name = puzzle::IsNewDocument(journal.state.document)
                             ? QString::fromUtf8(ui::kUntitled)
                             : displayPath(file);
    const QString time = QDateTime::fromMSecsSinceEpoch(journal.state.changedAt)
                             .toLocalTime()
                             .toString(QStringLiteral("yyyy/MM/dd HH:mm"));
    return {QString::fromUtf8(ui::kAskRecovery).arg(name, time).toStdString(), ui::kCaptionRecovery,
            puzzle::MessageIcon::Information, true};
}

} // namespace

RecoverySlot::RecoverySlot(QString folder, std::unique_ptr<QLockFile> lock)
    : folder_(std::move(folder)), lock_(std::move(lock)) {}

RecoverySlot::~RecoverySlot() = default;

QString RecoverySlot::defaultRoot() {
    // Named by the environment where the data location cannot be (tests on Windows, whose
    // folders come from the system, not from variables).
    const QString given = qEnvironmentVariable("PUZZLE_DATA_TOOL_RECOVERY");
    if (!given.isEmpty())
        return given;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/recovery");
}

std::unique_ptr<RecoverySlot> RecoverySlot::create(const QString& root) {
    if (!makePrivateFolder(root))
        return nullptr;
    const QString folder =
        root + QLatin1Char('/') + QUuid::createUuid().toString(QUuid::WithoutBraces);
    auto lock = lockOf(folder);
    if (!lock || !makePrivateFolder(folder))
        return nullptr;
    return std::unique_ptr<RecoverySlot>(new RecoverySlot(folder, std::move(lock)));
}

std::vector<std::unique_ptr<RecoverySlot>> RecoverySlot::orphans(const QString& root) {
    std::vector<std::unique_ptr<RecoverySlot>> found;
    const QDir dir(root);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString folder = dir.filePath(name);
        auto lock = lockOf(folder);
        if (!lock)
            continue; // its editor is running
        std::unique_ptr<RecoverySlot> slot(new RecoverySlot(folder, std::move(lock)));
        if (QFileInfo::exists(slot->journalPath()))
            found.push_back(std::move(slot));
        else
            slot->remove(); // nothing was left unsaved
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a->changedAt() > b->changedAt(); });
    return found;
}

QString RecoverySlot::journalPath() const {
    return folder_ + QLatin1Char('/') + kJournalName;
}

std::string RecoverySlot::copiesFolder() const {
    return nativePath(folder_ + QLatin1Char('/') + kCopiesName);
}

QDateTime RecoverySlot::changedAt() const {
    const auto journal = read();
    if (const auto* j = std::get_if<session::Journal>(&journal))
        return QDateTime::fromMSecsSinceEpoch(j->state.changedAt);
    return QFileInfo(journalPath()).lastModified();
}

std::variant<session::Journal, std::string> RecoverySlot::read() const {
    return readJournal(journalPath());
}

QString RecoverySlot::setAside() {
    const QString aside = QFileInfo(folder_).absolutePath() + QLatin1Char('/') +
                          QFileInfo(folder_).fileName() + QStringLiteral(".damaged-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    return QFile::rename(journalPath(), aside) ? aside : journalPath();
}

void RecoverySlot::remove() {
    QDir(folder_).removeRecursively();
    if (lock_)
        lock_->unlock();
}

std::unique_ptr<RecoverySlot> OfferRecovery(const QString& root, Prompts& prompts) {
    for (auto& slot : RecoverySlot::orphans(root)) {
        auto read = slot->read();
        if (!std::holds_alternative<session::Journal>(read)) {
            const QString aside = slot->setAside();
            prompts.showMessage(nullptr, {QString::fromUtf8(ui::kRecoveryDamaged)
                                              .arg(QDir::toNativeSeparators(aside))
                                              .toStdString(),
                                          ui::kCaptionRecovery, puzzle::MessageIcon::Error});
            if (aside != slot->journalPath())
                slot->remove();
            continue;
        }
        session::Journal& journal = std::get<session::Journal>(read);
        if (prompts.ask(nullptr, recoveryQuestion(journal))) {
            auto moved = session::DetachPicturesThatMovedOn(journal, puzzle::NativeFileSystem());
            slot->adopt({std::move(journal.state), std::move(moved)});
            return std::move(slot); // the rest are offered at the next start
        }
        const Question discard{ui::kConfirmDiscardRecovery, ui::kCaptionRecovery,
                               puzzle::MessageIcon::Information, false};
        if (prompts.ask(nullptr, discard))
            slot->remove();
    }
    return RecoverySlot::create(root);
}

// What the GUI thread hands the worker: a state to write, or nothing to remove the journal.
struct JournalWriter::Shared {
    std::mutex mutex;
    std::condition_variable idle;
    std::optional<std::optional<session::JournalState>> next;
    bool working = false;
    std::string path;
    session::PictureFingerprints fingerprints; // the worker's
};

JournalWriter::JournalWriter(const session::EditSession& session, RecoverySlot& slot,
                             QObject* parent)
    : QObject(parent), session_(session), shared_(std::make_shared<Shared>()) {
    shared_->path = nativePath(slot.journalPath());
    worker_.setMaxThreadCount(1);
    quiet_.setSingleShot(true);
    connect(&quiet_, &QTimer::timeout, this, &JournalWriter::writeNow);
}

JournalWriter::~JournalWriter() {
    quiet_.stop();
    worker_.waitForDone();
}

void JournalWriter::sessionChanged() {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (!session_.unsaved()) {
        quiet_.stop();
        firstPending_ = {};
        hand(std::nullopt);
        return;
    }
    lastChange_ = now;
    if (!firstPending_.isValid())
        firstPending_ = now;
    const qint64 left = kLatestMs - firstPending_.msecsTo(now);
    quiet_.start(int(std::clamp<qint64>(left, 0, kQuietMs)));
}

void JournalWriter::writeNow() {
    firstPending_ = {};
    hand(session_.journalState(lastChange_.toMSecsSinceEpoch()));
}

void JournalWriter::hand(std::optional<session::JournalState> next) {
    std::lock_guard lock(shared_->mutex);
    shared_->next = std::move(next);
    if (shared_->working)
        return;
    shared_->working = true;
    worker_.start([shared = shared_] {
        puzzle::FileSystem& fs = puzzle::NativeFileSystem();
        for (;;) {
            std::optional<session::JournalState> job;
            {
                std::lock_guard lock(shared->mutex);
                if (!shared->next) {
                    shared->working = false;
                    shared->idle.notify_all();
                    return;
                }
                job = std::move(*shared->next);
                shared->next.reset();
            }
            if (!job) {
                (void)fs.remove(shared->path);
                continue;
            }
            // Best effort: a journal that cannot be written leaves the previous one.
            const std::string bytes = session::EncodeJournal(*job, shared->fingerprints, fs);
            puzzle::ReplacementFile file(fs, shared->path);
            if (file.create().ok() &&
                file.write({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()})
                    .ok())
                (void)file.commit();
        }
    });
}

void JournalWriter::flush() {
    if (quiet_.isActive()) {
        quiet_.stop();
        writeNow();
    }
    std::unique_lock lock(shared_->mutex);
    shared_->idle.wait(lock, [this] { return !shared_->working && !shared_->next; });
}

} // namespace pdt::app
