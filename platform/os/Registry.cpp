#include "platform/os/Registry.h"

#include <algorithm>
#include <cstring>

#include "platform/base/Text.h"
#include "platform/os/TimeZoneTable.h"

namespace kavex::os {

namespace {

std::vector<std::string> splitPath(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        if (end > start) {
            parts.emplace_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

int rootIndex(HKEY root) {
    if (root >= HKEY_CLASSES_ROOT && root <= HKEY_USERS) {
        return static_cast<int>(root - HKEY_CLASSES_ROOT);
    }
    return -1;
}

}  // namespace

struct Registry::Node {
    std::string name;
    std::map<std::string, std::unique_ptr<Node>> children;  // by lower-case name: enumeration order
    std::map<std::string, Value> values;                    // by lower-case name
};

Registry::Registry() {
    clear();
}
Registry::~Registry() = default;

void Registry::clear() {
    for (auto& root : roots_) {
        root = std::make_unique<Node>();
    }
    handles_.clear();
    handleRoots_.clear();
    refuseWriteAccess_ = false;
}

void Registry::reset() {
    clear();
    fillTimeZoneTable(*this);
}

Registry::Node* Registry::find(HKEY root, std::string_view path) const {
    const int index = rootIndex(root);
    if (index < 0) {
        return nullptr;
    }
    Node* node = roots_[index].get();
    for (const auto& part : splitPath(path)) {
        const auto child = node->children.find(base::toLowerAscii(part));
        if (child == node->children.end()) {
            return nullptr;
        }
        node = child->second.get();
    }
    return node;
}

Registry::Node& Registry::make(HKEY root, std::string_view path) {
    const int index = rootIndex(root);
    if (index < 0) {
        throw std::invalid_argument("not a registry root key");
    }
    Node* node = roots_[index].get();
    for (const auto& part : splitPath(path)) {
        auto& child = node->children[base::toLowerAscii(part)];
        if (!child) {
            child = std::make_unique<Node>();
            child->name = part;
        }
        node = child.get();
    }
    return *node;
}

Registry::Node* Registry::resolve(HKEY key) const {
    if (rootIndex(key) >= 0) {
        return roots_[rootIndex(key)].get();
    }
    const auto handle = handles_.find(key);
    if (handle == handles_.end()) {
        return nullptr;
    }
    std::string path;
    for (const auto& part : handle->second) {
        path += part;
        path += '\\';
    }
    return find(handleRoots_.at(key), path);
}

void Registry::setValue(HKEY root, std::string_view path, std::string_view name, Value value) {
    make(root, path).values[base::toLowerAscii(name)] = std::move(value);
}

void Registry::setString(HKEY root, std::string_view path, std::string_view name,
                         std::string_view text) {
    Value value{REG_SZ, std::vector<std::uint8_t>(text.begin(), text.end())};
    value.data.push_back(0);
    setValue(root, path, name, std::move(value));
}

void Registry::createKey(HKEY root, std::string_view path) {
    make(root, path);
}

void Registry::deleteKey(HKEY root, std::string_view path) {
    auto parts = splitPath(path);
    if (parts.empty()) {
        return;
    }
    const std::string last = base::toLowerAscii(parts.back());
    parts.pop_back();
    std::string parentPath;
    for (const auto& part : parts) {
        parentPath += part + '\\';
    }
    if (Node* parent = find(root, parentPath)) {
        parent->children.erase(last);
    }
}

void Registry::deleteValue(HKEY root, std::string_view path, std::string_view name) {
    if (Node* node = find(root, path)) {
        node->values.erase(base::toLowerAscii(name));
    }
}

std::optional<Registry::Value> Registry::value(HKEY root, std::string_view path,
                                               std::string_view name) const {
    if (const Node* node = find(root, path)) {
        const auto found = node->values.find(base::toLowerAscii(name));
        if (found != node->values.end()) {
            return found->second;
        }
    }
    return std::nullopt;
}

long Registry::open(HKEY key, std::string_view subKey, std::uint32_t samDesired, HKEY* result) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = 0;
    if (resolve(key) == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    if (refuseWriteAccess_ && (samDesired & ~KEY_READ) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    const HKEY root = rootIndex(key) >= 0 ? key : handleRoots_.at(key);
    std::vector<std::string> path =
        rootIndex(key) >= 0 ? std::vector<std::string>{} : handles_.at(key);
    for (auto& part : splitPath(subKey)) {
        path.push_back(std::move(part));
    }
    std::string joined;
    for (const auto& part : path) {
        joined += part + '\\';
    }
    if (find(root, joined) == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    const HKEY handle = nextHandle_;
    nextHandle_ += 4;
    handles_[handle] = std::move(path);
    handleRoots_[handle] = root;
    *result = handle;
    return ERROR_SUCCESS;
}

long Registry::enumKey(HKEY key, std::uint32_t index, char* name, std::uint32_t nameSize) {
    const Node* node = resolve(key);
    if (node == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    if (index >= node->children.size()) {
        return ERROR_NO_MORE_ITEMS;
    }
    if (name == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    const std::string& childName = std::next(node->children.begin(), index)->second->name;
    if (childName.size() + 1 > nameSize) {
        return ERROR_MORE_DATA;
    }
    std::memcpy(name, childName.c_str(), childName.size() + 1);
    return ERROR_SUCCESS;
}

long Registry::queryValue(HKEY key, std::string_view valueName, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* dataSize) {
    const Node* node = resolve(key);
    if (node == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    if (data != nullptr && dataSize == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    const auto found = node->values.find(base::toLowerAscii(valueName));
    if (found == node->values.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const Value& value = found->second;
    const auto size = static_cast<std::uint32_t>(value.data.size());
    if (type != nullptr) {
        *type = value.type;
    }
    if (data == nullptr) {
        if (dataSize != nullptr) {
            *dataSize = size;
        }
        return ERROR_SUCCESS;
    }
    if (*dataSize < size) {
        *dataSize = size;
        return ERROR_MORE_DATA;
    }
    std::copy(value.data.begin(), value.data.end(), data);
    *dataSize = size;
    return ERROR_SUCCESS;
}

long Registry::close(HKEY key) {
    if (rootIndex(key) >= 0) {
        return ERROR_SUCCESS;
    }
    if (handles_.erase(key) == 0) {
        return ERROR_INVALID_HANDLE;
    }
    handleRoots_.erase(key);
    return ERROR_SUCCESS;
}

Registry& registry() {
    static Registry instance;
    static const bool filled = (instance.reset(), true);
    (void)filled;
    return instance;
}

long RegOpenKeyExA(HKEY key, std::string_view subKey, std::uint32_t /*options*/,
                   std::uint32_t samDesired, HKEY* result) {
    return registry().open(key, subKey, samDesired, result);
}

long RegEnumKeyA(HKEY key, std::uint32_t index, char* name, std::uint32_t nameSize) {
    return registry().enumKey(key, index, name, nameSize);
}

long RegQueryValueExA(HKEY key, std::string_view valueName, std::uint32_t* /*reserved*/,
                      std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) {
    return registry().queryValue(key, valueName, type, data, dataSize);
}

long RegCloseKey(HKEY key) {
    return registry().close(key);
}

}  // namespace kavex::os
