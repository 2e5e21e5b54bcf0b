#pragma once

class QApplication;

namespace verdane {

// Before the QApplication exists: process-wide settings the web engine needs.
void prepareProcess();
// Once the QApplication exists: Chinese texts in Qt's own dialogs, the CJK
// fonts, the real message boxes and file dialogs.
void prepareApplication(QApplication& app);

} // namespace verdane
