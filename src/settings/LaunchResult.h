#pragma once

#include <QString>

namespace verdane {

// What a launch came to, and the text the window shows for it (empty: no box).
struct LaunchResult {
    enum class Outcome {
        // Started from the stored path, or from the chosen file once stored.
        Started,
        // No usable stored path: the window tells the user and asks for the file.
        PathNeeded,
        // The chosen file started but could not be stored.
        NotStored,
    };

    Outcome outcome = Outcome::Started;
    QString message;
};

} // namespace verdane
