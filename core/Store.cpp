// Re-creation of the body tables.
#include "core/Store.h"

#include <stdexcept>

void Store::RecreateTables(int n) {
    if (n < 0 || n > kMaxBodies) throw std::out_of_range("body count out of range");
    NextPos.assign(static_cast<std::size_t>(n), Point3{});
    Bodies.assign(static_cast<std::size_t>(n), Body{});
}
