#pragma once

class QWebEngineProfile;

namespace verdane {

// Before the QApplication exists: the four web views show one site, so one
// renderer process serves them all. The user's own Chromium flags are kept.
// Also spells out XDG_DATA_HOME (its default when unset) for webProfile().
void shareOneRenderer();

// The program's one web profile: an HTTP disk cache of bounded size in the
// XDG cache folder (~/.cache/NaloSoft/Verdane), so that pages and pictures seen
// before show again without the server; everything else the engine keeps lives
// there too. Scripts may not open windows. Made on first use, on the UI thread.
QWebEngineProfile* webProfile();

} // namespace verdane
