#include "settings/FieldRef.h"

#include "codeplug/MemoryMap.h"

namespace km640 {

namespace {
FieldRef from(const memmap::Field& f) { return {f.offset, f.shift, f.width, f.length}; }
}  // namespace

FieldRef FieldRef::of(std::string_view name) { return from(memmap::field(name)); }

FieldRef FieldRef::of(std::string_view pattern, int index, int subIndex) {
    return from(memmap::field(pattern, index, subIndex));
}

}  // namespace km640
