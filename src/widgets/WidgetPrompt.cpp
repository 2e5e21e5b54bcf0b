#include "widgets/WidgetPrompt.h"

#include <QFileDialog>
#include <QMessageBox>

namespace verdane {

namespace {

QWidget* ownerWidget(QObject* owner)
{
    return qobject_cast<QWidget*>(owner);
}

QString runFileDialog(QObject* owner, const FileDialogRequest& request,
                      QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(ownerWidget(owner), request.title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen && request.mustExist
                           ? QFileDialog::ExistingFile
                           : QFileDialog::AnyFile);
    dialog.setNameFilters(qtNameFilters(request.filter));
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QStringList qtNameFilters(const QString& pairs)
{
    QStringList parts = pairs.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty())
            break;
        QString pattern = parts[i + 1];
        pattern.replace(u';', u' ');
        if (pattern == u"*.*")
            pattern = QStringLiteral("*");
        QString label = parts[i];
        const qsizetype bracket = label.lastIndexOf(u'(');
        if (bracket > 0 && label.endsWith(u')'))
            label = label.left(bracket).trimmed();
        filters.append(QStringLiteral("%1 (%2)").arg(label, pattern));
    }
    return filters;
}

bool WidgetPrompt::message(QObject* owner, const QString& caption, const QString& text,
                           PromptButtons buttons)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text,
                    buttons == PromptButtons::Ok ? QMessageBox::Ok
                                                 : QMessageBox::Ok | QMessageBox::Cancel,
                    ownerWidget(owner));
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

QString WidgetPrompt::openFile(QObject* owner, const FileDialogRequest& request)
{
    return runFileDialog(owner, request, QFileDialog::AcceptOpen);
}

QString WidgetPrompt::saveFile(QObject* owner, const FileDialogRequest& request)
{
    return runFileDialog(owner, request, QFileDialog::AcceptSave);
}

} // namespace verdane
