#include "render/media_loaders.h"

MediaLoaders helperLibraryLoaders() {
    return MediaLoaders{.loadTexture = &D3DXCreateTextureFromFileA,
                        .loadMesh = &D3DXLoadMeshFromX,
                        .meshesLoaded = &releaseMeshLoaderCode};
}
