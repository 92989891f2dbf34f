#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavex::os {

// Registry handles and codes with the values the add-in's declarations use.
using HKEY = std::uint32_t;
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;

inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_FILE_NOT_FOUND = 2;
inline constexpr long ERROR_ACCESS_DENIED = 5;
inline constexpr long ERROR_INVALID_HANDLE = 6;
inline constexpr long ERROR_INVALID_PARAMETER = 87;
inline constexpr long ERROR_MORE_DATA = 234;
inline constexpr long ERROR_NO_MORE_ITEMS = 259;

inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;

inline constexpr std::uint32_t KEY_READ = 0x20019;
inline constexpr std::uint32_t KEY_ALL_ACCESS = 0xF003F;

// The calls, as the add-in declares them. Buffers are sized by the caller: a buffer too small
// answers ERROR_MORE_DATA (and, for a value, the size needed) and nothing is written past it.
// A failed open leaves 0 in *result.
long RegOpenKeyExA(HKEY key, std::string_view subKey, std::uint32_t options,
                   std::uint32_t samDesired, HKEY* result);
long RegEnumKeyA(HKEY key, std::uint32_t index, char* name, std::uint32_t nameSize);
long RegQueryValueExA(HKEY key, std::string_view valueName, std::uint32_t* reserved,
                      std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize);
long RegCloseKey(HKEY key);

// The in-memory tree behind the calls. Key and value names compare without regard to case;
// sub-keys enumerate in alphabetical order, as the Windows registry's do.
class Registry {
  public:
    struct Value {
        std::uint32_t type = REG_SZ;
        std::vector<std::uint8_t> data;
    };

    Registry();
    ~Registry();

    // Paths are relative to one of the root keys, their parts separated by backslashes.
    void setValue(HKEY root, std::string_view path, std::string_view name, Value value);
    // Stored with its terminating NUL, as REG_SZ.
    void setString(HKEY root, std::string_view path, std::string_view name, std::string_view text);
    void createKey(HKEY root, std::string_view path);
    void deleteKey(HKEY root, std::string_view path);  // with its sub-keys
    void deleteValue(HKEY root, std::string_view path, std::string_view name);
    std::optional<Value> value(HKEY root, std::string_view path, std::string_view name) const;

    // Empties the tree and closes every handle.
    void clear();
    // The content at start: the time-zone table and the machine's zone name (TimeZoneTable.h).
    void reset();

    // When set, an open asking for more than read access is refused with ERROR_ACCESS_DENIED,
    // as for a user without administrator rights on HKEY_LOCAL_MACHINE.
    void setRefuseWriteAccess(bool refuse) { refuseWriteAccess_ = refuse; }

    long open(HKEY key, std::string_view subKey, std::uint32_t samDesired, HKEY* result);
    long enumKey(HKEY key, std::uint32_t index, char* name, std::uint32_t nameSize);
    long queryValue(HKEY key, std::string_view valueName, std::uint32_t* type, std::uint8_t* data,
                    std::uint32_t* dataSize);
    long close(HKEY key);

    // Handles open right now (leak checks in tests).
    std::size_t openHandleCount() const { return handles_.size(); }

    struct Node;

  private:
    Node* find(HKEY root, std::string_view path) const;
    Node& make(HKEY root, std::string_view path);
    Node* resolve(HKEY key) const;

    std::unique_ptr<Node> roots_[4];
    std::map<HKEY, std::vector<std::string>> handles_;  // handle -> path from its root
    std::map<HKEY, HKEY> handleRoots_;
    HKEY nextHandle_ = 0x100;
    bool refuseWriteAccess_ = false;
};

// The process-wide registry; filled on first use.
Registry& registry();

}  // namespace kavex::os
