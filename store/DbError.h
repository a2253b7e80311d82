// The one error type of the data store: it carries the database's own message.
#pragma once

#include <stdexcept>
#include <string>

namespace lumetra {

class CDbError : public std::runtime_error {
public:
    explicit CDbError(const std::string& description) : std::runtime_error(description) {}
};

}  // namespace lumetra
