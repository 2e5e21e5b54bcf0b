#include "wine/YamlFile.h"

#include <QFile>

#include <string>
#include <utility>

namespace verdane {

namespace {

// Game and bottle configurations are a few kilobytes.
constexpr qint64 largestConfiguration = 1024 * 1024;

} // namespace

std::optional<YAML::Node> loadYamlFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > largestConfiguration)
        return std::nullopt;
    const QByteArray content = file.read(largestConfiguration);
    try {
        return YAML::Load(std::string(content.constData(), size_t(content.size())));
    } catch (const YAML::Exception&) {
        return std::nullopt;
    }
}

QString yamlText(const YAML::Node& root, std::initializer_list<const char*> keys)
{
    try {
        YAML::Node node = root;
        for (const char* key : keys) {
            if (!node.IsMap())
                return {};
            // Looked up through a const node: a missing key is not added.
            const YAML::Node child = std::as_const(node)[key];
            if (!child.IsDefined())
                return {};
            node.reset(child);
        }
        if (!node.IsScalar())
            return {};
        return QString::fromStdString(node.Scalar());
    } catch (const YAML::Exception&) {
        return {};
    }
}

} // namespace verdane
