#pragma once
// Pictures the player cannot use as they are, made usable when the author agrees: a picture
// in another format converted to a JPEG, a photo with an orientation tag stored upright.
// The window asks once per action (one question for several pictures, naming how many)
// and runs the work as PictureJobs off the GUI thread; what they make is kept in a folder
// of the editor's own for the run, where the document's slots then point.

#include "app/picture_refusal.h"
#include "app/prompts.h"
#include "session/edit_session.h"

#include <QString>

#include <cstddef>
#include <string>
#include <vector>

namespace pdt::app {

// Which of a batch of checked pictures can be mended, by their index.
struct MendingOffer {
    std::vector<size_t> convert; // another format, which converts to a JPEG
    std::vector<size_t> turn;    // a usable JPEG whose orientation tag is not "normal"
};

[[nodiscard]] MendingOffer mendingOffer(const std::vector<session::PictureFacts>& facts);

// The questions, for the pictures at `which`.
[[nodiscard]] Question conversionQuestion(const std::vector<session::PictureFacts>& facts,
                                          const std::vector<size_t>& which);
[[nodiscard]] Question uprightQuestion(size_t count);

// The folder the made pictures live in: each in a folder of its own, named after what was
// done ("converted-3/shot.jpg"), so that a tooltip can tell it and names never clash.
class MadePictures {
  public:
    explicit MadePictures(QString folder) : folder_(std::move(folder)) {}

    // A job that makes a JPEG of `chosen` (another format) and checks it.
    [[nodiscard]] PictureJob conversion(const std::string& chosen);
    // A job that stores the JPEG `chosen` turned as its tag says and checks it.
    [[nodiscard]] PictureJob turning(const std::string& chosen);
    // What the tooltip says of a picture stored from `file`; empty for one not made here.
    [[nodiscard]] QString noteFor(const std::string& file) const;
    const QString& folder() const { return folder_; }

  private:
    // A new, empty folder for one made picture; its native path, or empty when it fails.
    std::string newPlace(const char* kind);

    QString folder_;
};

} // namespace pdt::app
