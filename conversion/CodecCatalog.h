// The codec descriptors by key: each format creates its own objects from these.
#pragma once

#include "conversion/MediaCatalog.h"

// A new descriptor for the key (exact case), or null when the key is not catalogued.
CVideoCodec* CreateVideoCodec(const wchar_t* key);
CAudioCodec* CreateAudioCodec(const wchar_t* key);

// The catalogued keys, in catalogue order.
int GetVideoCodecCount();
const wchar_t* GetVideoCodecKey(int index);
int GetAudioCodecCount();
const wchar_t* GetAudioCodecKey(int index);
