// The errors of the data store: the database's own message, or a refusal of the store's rules.
#pragma once

#include <stdexcept>
#include <string>

namespace lumetra {

class CDbError : public std::runtime_error {
public:
    explicit CDbError(const std::string& description) : std::runtime_error(description) {}
};

// A change the store's rules refuse before any statement runs (who may make it, a name already
// taken, the last administrator): its message is for the operator, and nothing was stored.
class CRefused : public CDbError {
public:
    using CDbError::CDbError;
};

}  // namespace lumetra
