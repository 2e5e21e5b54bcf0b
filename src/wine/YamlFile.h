#pragma once

#include <QString>

#include <yaml-cpp/yaml.h>

#include <initializer_list>
#include <optional>

namespace verdane {

// A manager's YAML file (yaml-cpp); nothing when it is missing, too large for a
// configuration or not YAML. Only ever read, never written.
std::optional<YAML::Node> loadYamlFile(const QString& path);
// The text found by following mapping keys from the root; empty when a key is
// missing or the value is no text.
QString yamlText(const YAML::Node& root, std::initializer_list<const char*> keys);

} // namespace verdane
