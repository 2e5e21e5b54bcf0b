#pragma once

class QWebEngineProfile;

namespace verdane {

// Before the QApplication exists: the four web views show one site, so one
// renderer process serves them all. The user's own Chromium flags are kept.
void shareOneRenderer();

// The program's one web profile: an HTTP disk cache of bounded size in the
// XDG cache folder (~/.cache/NaloSoft/Verdane), so that pages and pictures seen
// before show again without the server. Made on first use, on the UI thread.
QWebEngineProfile* webProfile();

} // namespace verdane
