#include "editing/UserPrompts.h"

namespace quelto::editing {

UserPrompts::~UserPrompts() = default;

} // namespace quelto::editing
