#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "addin/core/Errors.h"
#include "addin/core/Strings.h"

#include "platform/base/Date.h"
#include "platform/base/Variant.h"
#include "platform/db/Connection.h"

namespace kavex::addin::marketdata {

// The status words the cache's fetches answer with.
inline constexpr std::string_view kOK = "OK";
inline constexpr std::string_view kFail = "FAIL";
inline constexpr std::string_view kPartialOK = "PARTIALOK";
inline constexpr std::string_view kConnectivityLost = "CONNECTIVITYLOST";
inline constexpr std::string_view kTimeout = "TIMEOUT";
inline constexpr std::string_view kDataFetched = "DATAFETCHED";
inline constexpr std::string_view kDataNotFetched = "DATANOTFETCHED";

// The shared connection, opened first when there is none or it is closed. Raises a platform error
// when it still cannot be used.
db::Connection& CacheConnection();

using core::ErrorText;
using core::SqlQuoted;

// Seconds a cached item stays fresh, from a ConfigSettings key; the fallback when the key is
// missing or not a whole number of at least 0.
long FreshnessSeconds(const std::string& key, long fallback);

// True when an item last checked at lastCheckDate (a Date, or Null for never) must be fetched
// again after freshSeconds.
bool IsDue(const base::Variant& lastCheckDate, long freshSeconds);

// Several writes that are kept all together or not at all: begun on construction, rolled back on
// destruction unless committed.
class CacheTransaction {
  public:
    explicit CacheTransaction(db::Connection& connection);
    ~CacheTransaction();
    CacheTransaction(const CacheTransaction&) = delete;
    CacheTransaction& operator=(const CacheTransaction&) = delete;

    void commit();

  private:
    db::Connection& connection_;
    bool open_ = true;
};

}  // namespace kavex::addin::marketdata
