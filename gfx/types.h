// The graphics layer's vocabulary: result codes, formats, state names and the plain records
// that pass through the device interface. Every number is the classic Direct3D 8 value, so
// code above this layer reads and stores them exactly as the game was designed with.
#pragma once

#include <cstdint>

// Basic scalar types of the device interface.
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using ULONG = std::uint32_t;
using INT = std::int32_t;
using LONG = std::int32_t;
using BOOL = std::int32_t;
using FLOAT = float;
using HRESULT = std::int32_t;    // negative is failure, 0 success
using D3DCOLOR = std::uint32_t;  // 0xAARRGGBB

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

constexpr bool SUCCEEDED(HRESULT result) {
    return result >= 0;
}
constexpr bool FAILED(HRESULT result) {
    return result < 0;
}

// ---------------------------------------------------------------------------------------------
// Result codes.
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT D3D_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT D3DERR_WRONGTEXTUREFORMAT = static_cast<HRESULT>(0x88760818u);
constexpr HRESULT D3DERR_UNSUPPORTEDCOLOROPERATION = static_cast<HRESULT>(0x88760819u);
constexpr HRESULT D3DERR_DRIVERINTERNALERROR = static_cast<HRESULT>(0x88760827u);
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = static_cast<HRESULT>(0x8876017Cu);
constexpr HRESULT D3DERR_NOTFOUND = static_cast<HRESULT>(0x88760866u);
constexpr HRESULT D3DERR_MOREDATA = static_cast<HRESULT>(0x88760867u);
constexpr HRESULT D3DERR_DEVICELOST = static_cast<HRESULT>(0x88760868u);
constexpr HRESULT D3DERR_DEVICENOTRESET = static_cast<HRESULT>(0x88760869u);
constexpr HRESULT D3DERR_NOTAVAILABLE = static_cast<HRESULT>(0x8876086Au);
constexpr HRESULT D3DERR_INVALIDDEVICE = static_cast<HRESULT>(0x8876086Bu);
constexpr HRESULT D3DERR_INVALIDCALL = static_cast<HRESULT>(0x8876086Cu);
constexpr HRESULT D3DERR_DRIVERINVALIDCALL = static_cast<HRESULT>(0x8876086Du);
constexpr HRESULT D3DXERR_INVALIDDATA = static_cast<HRESULT>(0x88760B59u);

// ---------------------------------------------------------------------------------------------
// Versions, adapters, device types, creation flags.
constexpr UINT D3D_SDK_VERSION = 120;
constexpr UINT D3DADAPTER_DEFAULT = 0;
constexpr DWORD D3DENUM_NO_WHQL_LEVEL = 0x00000002;

using D3DDEVTYPE = DWORD;
constexpr D3DDEVTYPE D3DDEVTYPE_HAL = 1;
constexpr D3DDEVTYPE D3DDEVTYPE_REF = 2;
constexpr D3DDEVTYPE D3DDEVTYPE_SW = 3;

constexpr DWORD D3DCREATE_FPU_PRESERVE = 0x00000002;
constexpr DWORD D3DCREATE_MULTITHREADED = 0x00000004;
constexpr DWORD D3DCREATE_PUREDEVICE = 0x00000010;
constexpr DWORD D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x00000020;
constexpr DWORD D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x00000040;
constexpr DWORD D3DCREATE_MIXED_VERTEXPROCESSING = 0x00000080;

// ---------------------------------------------------------------------------------------------
// Formats.
using D3DFORMAT = DWORD;
constexpr D3DFORMAT D3DFMT_UNKNOWN = 0;
constexpr D3DFORMAT D3DFMT_R8G8B8 = 20;
constexpr D3DFORMAT D3DFMT_A8R8G8B8 = 21;
constexpr D3DFORMAT D3DFMT_X8R8G8B8 = 22;
constexpr D3DFORMAT D3DFMT_R5G6B5 = 23;
constexpr D3DFORMAT D3DFMT_X1R5G5B5 = 24;
constexpr D3DFORMAT D3DFMT_A1R5G5B5 = 25;
constexpr D3DFORMAT D3DFMT_A4R4G4B4 = 26;
constexpr D3DFORMAT D3DFMT_R3G3B2 = 27;
constexpr D3DFORMAT D3DFMT_A8 = 28;
constexpr D3DFORMAT D3DFMT_A8R3G3B2 = 29;
constexpr D3DFORMAT D3DFMT_X4R4G4B4 = 30;
constexpr D3DFORMAT D3DFMT_A8P8 = 40;
constexpr D3DFORMAT D3DFMT_P8 = 41;
constexpr D3DFORMAT D3DFMT_L8 = 50;
constexpr D3DFORMAT D3DFMT_A8L8 = 51;
constexpr D3DFORMAT D3DFMT_A4L4 = 52;
constexpr D3DFORMAT D3DFMT_D16_LOCKABLE = 70;
constexpr D3DFORMAT D3DFMT_D32 = 71;
constexpr D3DFORMAT D3DFMT_D15S1 = 73;
constexpr D3DFORMAT D3DFMT_D24S8 = 75;
constexpr D3DFORMAT D3DFMT_D24X8 = 77;
constexpr D3DFORMAT D3DFMT_D24X4S4 = 79;
constexpr D3DFORMAT D3DFMT_D16 = 80;
constexpr D3DFORMAT D3DFMT_VERTEXDATA = 100;
constexpr D3DFORMAT D3DFMT_INDEX16 = 101;
constexpr D3DFORMAT D3DFMT_INDEX32 = 102;

// Bytes per texel of a colour format the devices store (0 for formats they do not store).
constexpr UINT bytesPerTexel(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
            return 4;
        case D3DFMT_R8G8B8:
            return 3;
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
        case D3DFMT_A4R4G4B4:
        case D3DFMT_X4R4G4B4:
        case D3DFMT_A8L8:
            return 2;
        case D3DFMT_A8:
        case D3DFMT_L8:
            return 1;
        default:
            return 0;
    }
}

// ---------------------------------------------------------------------------------------------
// Resources: kinds, pools, usage, lock flags.
using D3DRESOURCETYPE = DWORD;
constexpr D3DRESOURCETYPE D3DRTYPE_SURFACE = 1;
constexpr D3DRESOURCETYPE D3DRTYPE_VOLUME = 2;
constexpr D3DRESOURCETYPE D3DRTYPE_TEXTURE = 3;
constexpr D3DRESOURCETYPE D3DRTYPE_VOLUMETEXTURE = 4;
constexpr D3DRESOURCETYPE D3DRTYPE_CUBETEXTURE = 5;
constexpr D3DRESOURCETYPE D3DRTYPE_VERTEXBUFFER = 6;
constexpr D3DRESOURCETYPE D3DRTYPE_INDEXBUFFER = 7;

using D3DPOOL = DWORD;
constexpr D3DPOOL D3DPOOL_DEFAULT = 0;  // lost by Reset: must be released before it
constexpr D3DPOOL D3DPOOL_MANAGED = 1;  // survives Reset
constexpr D3DPOOL D3DPOOL_SYSTEMMEM = 2;
constexpr D3DPOOL D3DPOOL_SCRATCH = 3;

constexpr DWORD D3DUSAGE_RENDERTARGET = 0x00000001;
constexpr DWORD D3DUSAGE_DEPTHSTENCIL = 0x00000002;
constexpr DWORD D3DUSAGE_WRITEONLY = 0x00000008;
constexpr DWORD D3DUSAGE_SOFTWAREPROCESSING = 0x00000010;
constexpr DWORD D3DUSAGE_DONOTCLIP = 0x00000020;
constexpr DWORD D3DUSAGE_POINTS = 0x00000040;
constexpr DWORD D3DUSAGE_DYNAMIC = 0x00000200;

constexpr DWORD D3DLOCK_READONLY = 0x00000010;
constexpr DWORD D3DLOCK_NOSYSLOCK = 0x00000800;
constexpr DWORD D3DLOCK_NOOVERWRITE = 0x00001000;
constexpr DWORD D3DLOCK_DISCARD = 0x00002000;
constexpr DWORD D3DLOCK_NO_DIRTY_UPDATE = 0x00008000;

using D3DMULTISAMPLE_TYPE = DWORD;
constexpr D3DMULTISAMPLE_TYPE D3DMULTISAMPLE_NONE = 0;

using D3DSWAPEFFECT = DWORD;
constexpr D3DSWAPEFFECT D3DSWAPEFFECT_DISCARD = 1;
constexpr D3DSWAPEFFECT D3DSWAPEFFECT_FLIP = 2;
constexpr D3DSWAPEFFECT D3DSWAPEFFECT_COPY = 3;
constexpr D3DSWAPEFFECT D3DSWAPEFFECT_COPY_VSYNC = 4;

using D3DBACKBUFFER_TYPE = DWORD;
constexpr D3DBACKBUFFER_TYPE D3DBACKBUFFER_TYPE_MONO = 0;

constexpr UINT D3DPRESENT_RATE_DEFAULT = 0;
constexpr UINT D3DPRESENT_INTERVAL_DEFAULT = 0;  // waits for the vertical blank
constexpr UINT D3DPRESENT_INTERVAL_ONE = 0x00000001;
constexpr UINT D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000;  // never waits
constexpr DWORD D3DPRESENTFLAG_LOCKABLE_BACKBUFFER = 0x00000001;

constexpr DWORD D3DCURSOR_IMMEDIATE_UPDATE = 0x00000001;

constexpr DWORD D3DCLEAR_TARGET = 0x00000001;
constexpr DWORD D3DCLEAR_ZBUFFER = 0x00000002;
constexpr DWORD D3DCLEAR_STENCIL = 0x00000004;

// ---------------------------------------------------------------------------------------------
// Transforms.
using D3DTRANSFORMSTATETYPE = DWORD;
constexpr D3DTRANSFORMSTATETYPE D3DTS_VIEW = 2;
constexpr D3DTRANSFORMSTATETYPE D3DTS_PROJECTION = 3;
constexpr D3DTRANSFORMSTATETYPE D3DTS_TEXTURE0 = 16;
constexpr D3DTRANSFORMSTATETYPE D3DTS_WORLD = 256;

// ---------------------------------------------------------------------------------------------
// Render states.
using D3DRENDERSTATETYPE = DWORD;
constexpr D3DRENDERSTATETYPE D3DRS_ZENABLE = 7;
constexpr D3DRENDERSTATETYPE D3DRS_FILLMODE = 8;
constexpr D3DRENDERSTATETYPE D3DRS_SHADEMODE = 9;
constexpr D3DRENDERSTATETYPE D3DRS_LINEPATTERN = 10;
constexpr D3DRENDERSTATETYPE D3DRS_ZWRITEENABLE = 14;
constexpr D3DRENDERSTATETYPE D3DRS_ALPHATESTENABLE = 15;
constexpr D3DRENDERSTATETYPE D3DRS_LASTPIXEL = 16;
constexpr D3DRENDERSTATETYPE D3DRS_SRCBLEND = 19;
constexpr D3DRENDERSTATETYPE D3DRS_DESTBLEND = 20;
constexpr D3DRENDERSTATETYPE D3DRS_CULLMODE = 22;
constexpr D3DRENDERSTATETYPE D3DRS_ZFUNC = 23;
constexpr D3DRENDERSTATETYPE D3DRS_ALPHAREF = 24;
constexpr D3DRENDERSTATETYPE D3DRS_ALPHAFUNC = 25;
constexpr D3DRENDERSTATETYPE D3DRS_DITHERENABLE = 26;
constexpr D3DRENDERSTATETYPE D3DRS_ALPHABLENDENABLE = 27;
constexpr D3DRENDERSTATETYPE D3DRS_FOGENABLE = 28;
constexpr D3DRENDERSTATETYPE D3DRS_SPECULARENABLE = 29;
constexpr D3DRENDERSTATETYPE D3DRS_ZVISIBLE = 30;
constexpr D3DRENDERSTATETYPE D3DRS_FOGCOLOR = 34;
constexpr D3DRENDERSTATETYPE D3DRS_FOGTABLEMODE = 35;
constexpr D3DRENDERSTATETYPE D3DRS_FOGSTART = 36;
constexpr D3DRENDERSTATETYPE D3DRS_FOGEND = 37;
constexpr D3DRENDERSTATETYPE D3DRS_FOGDENSITY = 38;
constexpr D3DRENDERSTATETYPE D3DRS_EDGEANTIALIAS = 40;
constexpr D3DRENDERSTATETYPE D3DRS_ZBIAS = 47;
constexpr D3DRENDERSTATETYPE D3DRS_RANGEFOGENABLE = 48;
constexpr D3DRENDERSTATETYPE D3DRS_STENCILENABLE = 52;
constexpr D3DRENDERSTATETYPE D3DRS_STENCILFAIL = 53;
constexpr D3DRENDERSTATETYPE D3DRS_STENCILZFAIL = 54;
constexpr D3DRENDERSTATETYPE D3DRS_STENCILPASS = 55;
constexpr D3DRENDERSTATETYPE D3DRS_STENCILFUNC = 56;
constexpr D3DRENDERSTATETYPE D3DRS_STENCILREF = 57;
constexpr D3DRENDERSTATETYPE D3DRS_STENCILMASK = 58;
constexpr D3DRENDERSTATETYPE D3DRS_STENCILWRITEMASK = 59;
constexpr D3DRENDERSTATETYPE D3DRS_TEXTUREFACTOR = 60;
constexpr D3DRENDERSTATETYPE D3DRS_WRAP0 = 128;
constexpr D3DRENDERSTATETYPE D3DRS_CLIPPING = 136;
constexpr D3DRENDERSTATETYPE D3DRS_LIGHTING = 137;
constexpr D3DRENDERSTATETYPE D3DRS_AMBIENT = 139;
constexpr D3DRENDERSTATETYPE D3DRS_FOGVERTEXMODE = 140;
constexpr D3DRENDERSTATETYPE D3DRS_COLORVERTEX = 141;
constexpr D3DRENDERSTATETYPE D3DRS_LOCALVIEWER = 142;
constexpr D3DRENDERSTATETYPE D3DRS_NORMALIZENORMALS = 143;
constexpr D3DRENDERSTATETYPE D3DRS_DIFFUSEMATERIALSOURCE = 145;
constexpr D3DRENDERSTATETYPE D3DRS_SPECULARMATERIALSOURCE = 146;
constexpr D3DRENDERSTATETYPE D3DRS_AMBIENTMATERIALSOURCE = 147;
constexpr D3DRENDERSTATETYPE D3DRS_EMISSIVEMATERIALSOURCE = 148;
constexpr D3DRENDERSTATETYPE D3DRS_VERTEXBLEND = 151;
constexpr D3DRENDERSTATETYPE D3DRS_CLIPPLANEENABLE = 152;
constexpr D3DRENDERSTATETYPE D3DRS_SOFTWAREVERTEXPROCESSING = 153;
constexpr D3DRENDERSTATETYPE D3DRS_POINTSIZE = 154;
constexpr D3DRENDERSTATETYPE D3DRS_MULTISAMPLEANTIALIAS = 161;
constexpr D3DRENDERSTATETYPE D3DRS_MULTISAMPLEMASK = 162;
constexpr D3DRENDERSTATETYPE D3DRS_INDEXEDVERTEXBLENDENABLE = 167;
constexpr D3DRENDERSTATETYPE D3DRS_COLORWRITEENABLE = 168;
constexpr D3DRENDERSTATETYPE D3DRS_BLENDOP = 171;
// Render states are numbered below this bound; the devices keep one value per number.
constexpr UINT renderStateCount = 256;

// Values of render states.
constexpr DWORD D3DZB_FALSE = 0;
constexpr DWORD D3DZB_TRUE = 1;
constexpr DWORD D3DZB_USEW = 2;

constexpr DWORD D3DFILL_POINT = 1;
constexpr DWORD D3DFILL_WIREFRAME = 2;
constexpr DWORD D3DFILL_SOLID = 3;

constexpr DWORD D3DSHADE_FLAT = 1;
constexpr DWORD D3DSHADE_GOURAUD = 2;
constexpr DWORD D3DSHADE_PHONG = 3;

// Culling names the winding, as seen on screen, of the triangles that are dropped.
constexpr DWORD D3DCULL_NONE = 1;
constexpr DWORD D3DCULL_CW = 2;
constexpr DWORD D3DCULL_CCW = 3;

constexpr DWORD D3DCMP_NEVER = 1;
constexpr DWORD D3DCMP_LESS = 2;
constexpr DWORD D3DCMP_EQUAL = 3;
constexpr DWORD D3DCMP_LESSEQUAL = 4;
constexpr DWORD D3DCMP_GREATER = 5;
constexpr DWORD D3DCMP_NOTEQUAL = 6;
constexpr DWORD D3DCMP_GREATEREQUAL = 7;
constexpr DWORD D3DCMP_ALWAYS = 8;

constexpr DWORD D3DBLEND_ZERO = 1;
constexpr DWORD D3DBLEND_ONE = 2;
constexpr DWORD D3DBLEND_SRCCOLOR = 3;
constexpr DWORD D3DBLEND_INVSRCCOLOR = 4;
constexpr DWORD D3DBLEND_SRCALPHA = 5;
constexpr DWORD D3DBLEND_INVSRCALPHA = 6;
constexpr DWORD D3DBLEND_DESTALPHA = 7;
constexpr DWORD D3DBLEND_INVDESTALPHA = 8;
constexpr DWORD D3DBLEND_DESTCOLOR = 9;
constexpr DWORD D3DBLEND_INVDESTCOLOR = 10;
constexpr DWORD D3DBLEND_SRCALPHASAT = 11;

constexpr DWORD D3DBLENDOP_ADD = 1;
constexpr DWORD D3DBLENDOP_SUBTRACT = 2;
constexpr DWORD D3DBLENDOP_REVSUBTRACT = 3;
constexpr DWORD D3DBLENDOP_MIN = 4;
constexpr DWORD D3DBLENDOP_MAX = 5;

constexpr DWORD D3DFOG_NONE = 0;
constexpr DWORD D3DVBF_DISABLE = 0;

constexpr DWORD D3DMCS_MATERIAL = 0;
constexpr DWORD D3DMCS_COLOR1 = 1;
constexpr DWORD D3DMCS_COLOR2 = 2;

constexpr DWORD D3DSTENCILOP_KEEP = 1;

// ---------------------------------------------------------------------------------------------
// Texture stage states.
using D3DTEXTURESTAGESTATETYPE = DWORD;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_COLOROP = 1;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_COLORARG1 = 2;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_COLORARG2 = 3;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_ALPHAOP = 4;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_ALPHAARG1 = 5;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_ALPHAARG2 = 6;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_BUMPENVMAT00 = 7;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_BUMPENVMAT01 = 8;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_BUMPENVMAT10 = 9;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_BUMPENVMAT11 = 10;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_TEXCOORDINDEX = 11;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_ADDRESSU = 13;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_ADDRESSV = 14;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_BORDERCOLOR = 15;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_MAGFILTER = 16;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_MINFILTER = 17;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_MIPFILTER = 18;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_MIPMAPLODBIAS = 19;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_MAXMIPLEVEL = 20;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_MAXANISOTROPY = 21;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_BUMPENVLSCALE = 22;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_BUMPENVLOFFSET = 23;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_TEXTURETRANSFORMFLAGS = 24;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_ADDRESSW = 25;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_COLORARG0 = 26;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_ALPHAARG0 = 27;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_RESULTARG = 28;
// Texture stage states are numbered below this bound; there are this many stages.
constexpr UINT textureStageStateCount = 32;
constexpr UINT textureStageCount = 8;

constexpr DWORD D3DTOP_DISABLE = 1;
constexpr DWORD D3DTOP_SELECTARG1 = 2;
constexpr DWORD D3DTOP_SELECTARG2 = 3;
constexpr DWORD D3DTOP_MODULATE = 4;
constexpr DWORD D3DTOP_MODULATE2X = 5;
constexpr DWORD D3DTOP_MODULATE4X = 6;
constexpr DWORD D3DTOP_ADD = 7;
constexpr DWORD D3DTOP_ADDSIGNED = 8;
constexpr DWORD D3DTOP_SUBTRACT = 10;

constexpr DWORD D3DTA_SELECTMASK = 0x0000000F;
constexpr DWORD D3DTA_DIFFUSE = 0x00000000;
constexpr DWORD D3DTA_CURRENT = 0x00000001;
constexpr DWORD D3DTA_TEXTURE = 0x00000002;
constexpr DWORD D3DTA_TFACTOR = 0x00000003;
constexpr DWORD D3DTA_SPECULAR = 0x00000004;
constexpr DWORD D3DTA_COMPLEMENT = 0x00000010;
constexpr DWORD D3DTA_ALPHAREPLICATE = 0x00000020;

constexpr DWORD D3DTEXF_NONE = 0;
constexpr DWORD D3DTEXF_POINT = 1;
constexpr DWORD D3DTEXF_LINEAR = 2;
constexpr DWORD D3DTEXF_ANISOTROPIC = 3;

constexpr DWORD D3DTADDRESS_WRAP = 1;
constexpr DWORD D3DTADDRESS_MIRROR = 2;
constexpr DWORD D3DTADDRESS_CLAMP = 3;
constexpr DWORD D3DTADDRESS_BORDER = 4;

constexpr DWORD D3DTTFF_DISABLE = 0;

// ---------------------------------------------------------------------------------------------
// Vertex formats (flexible vertex format bits) and primitives.
constexpr DWORD D3DFVF_POSITION_MASK = 0x00E;
constexpr DWORD D3DFVF_XYZ = 0x002;
constexpr DWORD D3DFVF_XYZRHW = 0x004;  // x, y in window pixels, z depth, rhw
constexpr DWORD D3DFVF_NORMAL = 0x010;
constexpr DWORD D3DFVF_PSIZE = 0x020;
constexpr DWORD D3DFVF_DIFFUSE = 0x040;
constexpr DWORD D3DFVF_SPECULAR = 0x080;
constexpr DWORD D3DFVF_TEXCOUNT_MASK = 0xF00;
constexpr DWORD D3DFVF_TEXCOUNT_SHIFT = 8;
constexpr DWORD D3DFVF_TEX0 = 0x000;
constexpr DWORD D3DFVF_TEX1 = 0x100;
constexpr DWORD D3DFVF_TEX2 = 0x200;

using D3DPRIMITIVETYPE = DWORD;
constexpr D3DPRIMITIVETYPE D3DPT_POINTLIST = 1;
constexpr D3DPRIMITIVETYPE D3DPT_LINELIST = 2;
constexpr D3DPRIMITIVETYPE D3DPT_LINESTRIP = 3;
constexpr D3DPRIMITIVETYPE D3DPT_TRIANGLELIST = 4;
constexpr D3DPRIMITIVETYPE D3DPT_TRIANGLESTRIP = 5;
constexpr D3DPRIMITIVETYPE D3DPT_TRIANGLEFAN = 6;

// ---------------------------------------------------------------------------------------------
// Lights and state blocks.
using D3DLIGHTTYPE = DWORD;
constexpr D3DLIGHTTYPE D3DLIGHT_POINT = 1;
constexpr D3DLIGHTTYPE D3DLIGHT_SPOT = 2;
constexpr D3DLIGHTTYPE D3DLIGHT_DIRECTIONAL = 3;
// The devices light with at most this many enabled lights (lights 0..7).
constexpr UINT maxActiveLights = 8;

using D3DSTATEBLOCKTYPE = DWORD;
constexpr D3DSTATEBLOCKTYPE D3DSBT_ALL = 1;
constexpr D3DSTATEBLOCKTYPE D3DSBT_PIXELSTATE = 2;
constexpr D3DSTATEBLOCKTYPE D3DSBT_VERTEXSTATE = 3;

// ---------------------------------------------------------------------------------------------
// Capability bits the game's frame reads.
constexpr DWORD D3DCAPS2_CANRENDERWINDOWED = 0x00080000;
constexpr DWORD D3DCAPS2_CANMANAGERESOURCE = 0x10000000;
constexpr DWORD D3DCAPS2_DYNAMICTEXTURES = 0x20000000;
constexpr DWORD D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x00010000;
constexpr DWORD D3DDEVCAPS_PUREDEVICE = 0x00100000;
constexpr DWORD D3DCURSORCAPS_COLOR = 0x00000001;
constexpr DWORD D3DPTEXTURECAPS_PERSPECTIVE = 0x00000001;
constexpr DWORD D3DPTEXTURECAPS_ALPHA = 0x00000004;
constexpr DWORD D3DPTEXTURECAPS_MIPMAP = 0x00004000;
constexpr DWORD D3DPTFILTERCAPS_MINFPOINT = 0x00000100;
constexpr DWORD D3DPTFILTERCAPS_MINFLINEAR = 0x00000200;
constexpr DWORD D3DPTFILTERCAPS_MIPFPOINT = 0x00010000;
constexpr DWORD D3DPTFILTERCAPS_MIPFLINEAR = 0x00020000;
constexpr DWORD D3DPTFILTERCAPS_MAGFPOINT = 0x01000000;
constexpr DWORD D3DPTFILTERCAPS_MAGFLINEAR = 0x02000000;

// ---------------------------------------------------------------------------------------------
// Plain records.

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

// A rectangle to clear: x1, y1 inclusive, x2, y2 exclusive.
struct D3DRECT {
    LONG x1;
    LONG y1;
    LONG x2;
    LONG y2;
};

struct D3DCOLORVALUE {
    float r;
    float g;
    float b;
    float a;
};

struct D3DVECTOR {
    float x;
    float y;
    float z;
};

// A 4 x 4 matrix; m[row][column], rows are multiplied by row vectors from the left.
struct D3DMATRIX {
    float m[4][4];
};

struct D3DMATERIAL8 {
    D3DCOLORVALUE Diffuse;
    D3DCOLORVALUE Ambient;
    D3DCOLORVALUE Specular;
    D3DCOLORVALUE Emissive;
    float Power;
};

struct D3DLIGHT8 {
    D3DLIGHTTYPE Type;
    D3DCOLORVALUE Diffuse;
    D3DCOLORVALUE Specular;
    D3DCOLORVALUE Ambient;
    D3DVECTOR Position;
    D3DVECTOR Direction;  // directional lights shine along this vector
    float Range;
    float Falloff;
    float Attenuation0;
    float Attenuation1;
    float Attenuation2;
    float Theta;
    float Phi;
};

// Pixels of the render target the scene is drawn into; depth MinZ..MaxZ (normally 0..1).
struct D3DVIEWPORT8 {
    DWORD X;
    DWORD Y;
    DWORD Width;
    DWORD Height;
    float MinZ;
    float MaxZ;
};

// The opaque window a device presents into (see gfx/window.h); empty for an offscreen device.
struct NativeWindow;
using WindowHandle = NativeWindow*;

struct D3DPRESENT_PARAMETERS {
    UINT BackBufferWidth;  // 0 in a window: the window's client size
    UINT BackBufferHeight;
    D3DFORMAT BackBufferFormat;
    UINT BackBufferCount;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    D3DSWAPEFFECT SwapEffect;
    WindowHandle hDeviceWindow;  // empty: the focus window, or no window at all (offscreen)
    BOOL Windowed;
    BOOL EnableAutoDepthStencil;
    D3DFORMAT AutoDepthStencilFormat;
    DWORD Flags;
    UINT FullScreen_RefreshRateInHz;
    UINT FullScreen_PresentationInterval;  // DEFAULT waits for the vertical blank, IMMEDIATE not
};

struct D3DDISPLAYMODE {
    UINT Width;
    UINT Height;
    UINT RefreshRate;
    D3DFORMAT Format;
};

constexpr UINT adapterTextLength = 512;

struct D3DADAPTER_IDENTIFIER8 {
    char Driver[adapterTextLength];
    char Description[adapterTextLength];  // shown to the user
    std::int64_t DriverVersion;
    DWORD VendorId;
    DWORD DeviceId;
    DWORD SubSysId;
    DWORD Revision;
    BYTE DeviceIdentifier[16];
    DWORD WHQLLevel;
};

struct D3DSURFACE_DESC {
    D3DFORMAT Format;
    D3DRESOURCETYPE Type;
    DWORD Usage;
    D3DPOOL Pool;
    UINT Size;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    UINT Width;
    UINT Height;
};

struct D3DVERTEXBUFFER_DESC {
    D3DFORMAT Format;
    D3DRESOURCETYPE Type;
    DWORD Usage;
    D3DPOOL Pool;
    UINT Size;
    DWORD FVF;
};

struct D3DINDEXBUFFER_DESC {
    D3DFORMAT Format;
    D3DRESOURCETYPE Type;
    DWORD Usage;
    D3DPOOL Pool;
    UINT Size;
};

// Where a locked rectangle's texels are: row r starts at pBits + r * Pitch bytes.
struct D3DLOCKED_RECT {
    INT Pitch;
    void* pBits;
};

struct D3DCAPS8 {
    D3DDEVTYPE DeviceType;
    UINT AdapterOrdinal;
    DWORD Caps;
    DWORD Caps2;
    DWORD Caps3;
    DWORD PresentationIntervals;
    DWORD CursorCaps;
    DWORD DevCaps;
    DWORD PrimitiveMiscCaps;
    DWORD RasterCaps;
    DWORD ZCmpCaps;
    DWORD SrcBlendCaps;
    DWORD DestBlendCaps;
    DWORD AlphaCmpCaps;
    DWORD ShadeCaps;
    DWORD TextureCaps;
    DWORD TextureFilterCaps;
    DWORD CubeTextureFilterCaps;
    DWORD VolumeTextureFilterCaps;
    DWORD TextureAddressCaps;
    DWORD VolumeTextureAddressCaps;
    DWORD LineCaps;
    DWORD MaxTextureWidth;
    DWORD MaxTextureHeight;
    DWORD MaxVolumeExtent;
    DWORD MaxTextureRepeat;
    DWORD MaxTextureAspectRatio;
    DWORD MaxAnisotropy;
    float MaxVertexW;
    float GuardBandLeft;
    float GuardBandTop;
    float GuardBandRight;
    float GuardBandBottom;
    float ExtentsAdjust;
    DWORD StencilCaps;
    DWORD FVFCaps;
    DWORD TextureOpCaps;
    DWORD MaxTextureBlendStages;
    DWORD MaxSimultaneousTextures;
    DWORD VertexProcessingCaps;
    DWORD MaxActiveLights;
    DWORD MaxUserClipPlanes;
    DWORD MaxVertexBlendMatrices;
    DWORD MaxVertexBlendMatrixIndex;
    float MaxPointSize;
    DWORD MaxPrimitiveCount;
    DWORD MaxVertexIndex;
    DWORD MaxStreams;
    DWORD MaxStreamStride;
    DWORD VertexShaderVersion;
    DWORD MaxVertexShaderConst;
    DWORD PixelShaderVersion;
    float MaxPixelShaderValue;
};
