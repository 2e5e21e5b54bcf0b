#include "updater/UpdateInstaller.h"

#include "catalogue/CatalogueLocation.h"
#include "common/ContentServer.h"
#include "download/HttpDownload.h"
#include "download/Sha256.h"
#include "log/LogCategories.h"
#include "settings/ProgramSettings.h"
#include "update/HttpGetText.h"
#include "update/VersionDecision.h"
#include "updater/CatalogueFileCheck.h"
#include "updater/UpdateLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <unistd.h>

namespace verdane {

namespace {

constexpr quint16 UpdateServerPort = 80;
// A file already fetched by an earlier run that was stopped after it.
bool alreadyThere(const QString& path, const UpdateManifest::File& file)
{
    QFile existing(path);
    if (existing.size() != file.size || !existing.open(QIODevice::ReadOnly))
        return false;
    Sha256 hash;
    while (!existing.atEnd()) {
        const QByteArray block = existing.read(1 << 20);
        hash.add(block.constData(), block.size());
    }
    return hash.result() == file.sha256;
}

QString downloadProblem(const HttpDownload& download, const QString& name)
{
    switch (download.failure()) {
    case DownloadFailure::Status:
        return QStringLiteral("升级服务器上没有文件 %1").arg(name);
    case DownloadFailure::Read:
        return QStringLiteral("下载 %1 时连接中断，下次继续下载").arg(name);
    case DownloadFailure::CreateFile:
    case DownloadFailure::Write:
        return QStringLiteral("无法保存 %1，磁盘已满或文件夹不可写").arg(name);
    case DownloadFailure::Checksum:
        return QStringLiteral("文件 %1 的校验值不符").arg(name);
    case DownloadFailure::TooLarge:
        return QStringLiteral("文件 %1 超过升级清单所列的大小").arg(name);
    default:
        return QStringLiteral("无法连接升级服务器");
    }
}

// Old catalogue folders and links that no longer take part: what a stopped
// run left behind. Only ever called with the lock held.
void sweep(const QString& folder)
{
    const QString current = QFileInfo(CatalogueLocation::installedLink()).canonicalFilePath();
    QDir dir(folder);
    const QStringList names = dir.entryList(
        {QStringLiteral("catalogue-*"), QStringLiteral(".catalogue-new-*")},
        QDir::Dirs | QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        if (QFileInfo(path).isSymLink() || !QFileInfo(path).isDir())
            QFile::remove(path);
        else if (QFileInfo(path).canonicalFilePath() != current)
            QDir(path).removeRecursively();
    }
}

} // namespace

UpdateInstaller::UpdateInstaller(Progress progress, const std::atomic<bool>* cancel)
    : progress_(std::move(progress))
    , cancel_(cancel)
{
}

UpdateResult UpdateInstaller::run()
{
    const QString folder = CatalogueLocation::userFolder();
    QDir().mkpath(folder);
    UpdateLock lock(folder + QStringLiteral("/update.lock"));
    UpdateResult result;
    if (!lock.held())
        result = {UpdateResult::Busy, QStringLiteral("另一个升级程序正在运行。")};
    else
        result = install();
    if (result.outcome == UpdateResult::Installed)
        qCInfo(lcUpdate).noquote() << result.message;
    else
        qCWarning(lcUpdate).noquote() << QStringLiteral("update not installed: ") + result.message;
    return result;
}

UpdateResult UpdateInstaller::install()
{
    const auto failed = [](const QString& why) {
        return UpdateResult{UpdateResult::Failed, QStringLiteral("升级失败：") + why + u'。'};
    };
    const ProgramSettings settings;
    if (!settings.updateRequested())
        return failed(QStringLiteral("没有待安装的更新"));
    const QString type = settings.updateType();
    if (type != u"full")
        return failed(QStringLiteral("不支持的更新类型“%1”").arg(type));
    const VersionDecision offer = compareVersionText(
        settings.installedVersion(),
        httpGetText(versionFileAddress(), UpdateServerPort, std::chrono::seconds(10)));
    if (!offer.hasVersion)
        return failed(QStringLiteral("无法从升级服务器读取版本"));
    if (!UpdateManifest::isVersionName(offer.version))
        return failed(QStringLiteral("服务器上的版本号不可用"));
    const QString folderUrl = contentServerHost() + UpdateManifest::folderPath(offer.version);
    QString problem;
    const std::optional<UpdateManifest> manifest =
        UpdateManifest::parse(httpGetText(folderUrl + UpdateManifest::manifestName(),
                                          UpdateServerPort, std::chrono::seconds(10)),
                              &problem);
    if (!manifest)
        return failed(problem);
    if (manifest->version != offer.version || manifest->type != type)
        return failed(QStringLiteral("升级清单与服务器提供的版本不符"));
    const bool hasCatalogue =
        std::any_of(manifest->files.cbegin(), manifest->files.cend(),
                    [](const auto& file) { return file.name == CatalogueLocation::fileName(); });
    if (!hasCatalogue)
        return failed(QStringLiteral("升级清单中没有地图数据库"));

    sweep(CatalogueLocation::userFolder());
    problem = fetchAll(QStringLiteral("http://") + folderUrl, *manifest);
    if (problem.isEmpty())
        problem = putInPlace(offer.version, *manifest);
    if (!problem.isEmpty())
        return failed(problem);
    if (!ProgramSettings().finishUpdate(offer.version))
        return failed(QStringLiteral("新的地图数据库已装好，但无法写入配置文件"));
    return {UpdateResult::Installed, QStringLiteral("已更新到版本 %1。").arg(offer.version)};
}

QString UpdateInstaller::fetchAll(const QString& folderUrl, const UpdateManifest& manifest)
{
    const QString incoming = CatalogueLocation::userFolder() + QStringLiteral("/incoming/");
    QDir().mkpath(incoming);
    qint64 total = 0, done = 0;
    for (const UpdateManifest::File& file : manifest.files)
        total += file.size;
    for (const UpdateManifest::File& file : manifest.files) {
        const auto report = [&](int percent) {
            if (progress_)
                progress_(file.name, downloadPercent(done + file.size * percent / 100,
                                                     qMax<qint64>(total, 1)));
        };
        report(0);
        const QString path = incoming + file.name;
        if (!alreadyThere(path, file)) {
            DownloadLimits limits;
            limits.cancel = cancel_;
            limits.maxBytes = qMax<qint64>(file.size, 1);
            HttpDownload download(report, limits);
            if (download.downloadFile(folderUrl + file.name, path, file.sha256) != 0) {
                if (cancel_ != nullptr && cancel_->load())
                    return QStringLiteral("已取消");
                return downloadProblem(download, file.name);
            }
        }
        done += file.size;
        report(100);
    }
    const QString catalogue = incoming + CatalogueLocation::fileName();
    const QString problem = catalogueFileProblem(catalogue);
    if (!problem.isEmpty()) {
        QFile::remove(catalogue);
        return QStringLiteral("新的地图数据库无法打开（%1）").arg(problem);
    }
    return {};
}

QString UpdateInstaller::putInPlace(const QString& version, const UpdateManifest& manifest)
{
    const QString folder = CatalogueLocation::userFolder();
    const QString working = CatalogueLocation::workingCatalogue();
    const QString previous = QFileInfo(CatalogueLocation::installedLink()).canonicalFilePath();
    QByteArray pattern = QFile::encodeName(folder + QStringLiteral("/catalogue-XXXXXX"));
    if (::mkdtemp(pattern.data()) == nullptr)
        return QStringLiteral("无法在 %1 中建立文件夹").arg(folder);
    const QString target = QFile::decodeName(pattern);
    const CatalogueLocation::Record record{version, working, CatalogueLocation::Stamp::of(working)};
    QSaveFile recordFile(target + u'/' + CatalogueLocation::recordName());
    bool placed = recordFile.open(QIODevice::WriteOnly) && recordFile.write(record.toText()) > 0 &&
                  recordFile.commit();
    for (const UpdateManifest::File& file : manifest.files) {
        placed = placed && QFile::rename(folder + QStringLiteral("/incoming/") + file.name,
                                         target + u'/' + file.name);
    }
    // The one step that changes what the program reads: a new link renamed over the old.
    const QByteArray link = QFile::encodeName(folder + QStringLiteral("/.catalogue-new-link"));
    ::unlink(link.constData());
    placed = placed &&
             ::symlink(QFile::encodeName(QFileInfo(target).fileName()).constData(),
                       link.constData()) == 0 &&
             ::rename(link.constData(),
                      QFile::encodeName(CatalogueLocation::installedLink()).constData()) == 0;
    if (!placed) {
        QDir(target).removeRecursively();
        return QStringLiteral("无法写入 %1，磁盘已满或文件夹不可写").arg(folder);
    }
    const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    if (!previous.isEmpty() && previous != target)
        QDir(previous).removeRecursively();
    return {};
}

} // namespace verdane
