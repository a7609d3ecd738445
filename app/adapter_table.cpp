#include "app/adapter_table.h"

const char* deviceTypeName(D3DDEVTYPE type) {
    switch (type) {
        case D3DDEVTYPE_HAL:
            return "HAL";
        case D3DDEVTYPE_REF:
            return "REF";
        case D3DDEVTYPE_SW:
            return "SW";
        default:
            return "?";
    }
}

std::uint32_t displayBitsOf(D3DFORMAT format) {
    return (format == D3DFMT_R8G8B8 || format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) ? 32
                                                                                               : 16;
}

bool isSixteenBitFormat(D3DFORMAT format) {
    return format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5 || format == D3DFMT_A1R5G5B5;
}
