#pragma once

class QApplication;

namespace verdane {

// Before the QApplication exists: process-wide settings the web engine needs.
void prepareProcess();
// Once the QApplication exists: Chinese texts in Qt's own dialogs, the CJK
// fonts, the real message boxes and file dialogs, and the Wine of each prefix
// for the programs the shell starts.
void prepareApplication(QApplication& app);

} // namespace verdane
