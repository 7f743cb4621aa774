#pragma once

#include <QObject>
#include <optional>

#include "screen/SaverInput.h"

namespace voroquarn {

class DiagramWindow;
class Session;

// What keys and clicks do in a window of the program's own. In a window to look at:
// Escape, q, Ctrl+Q and Ctrl+W close it as its close button does, space starts a new
// diagram, Ctrl+S saves the picture and F11 toggles full screen, with the diagram drawn
// anew at the new size. As a screen saver, a key or a click or a large motion of the
// pointer closes it (SaverInput).
class WindowKeys final : public QObject {
public:
    enum class Role { Viewer, Saver };

    WindowKeys(DiagramWindow& window, Session& session, Role role);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void save() const;

    DiagramWindow& window_;
    Session& session_;
    Role role_;
    std::optional<SaverInput> saverInput_;
};

}  // namespace voroquarn
