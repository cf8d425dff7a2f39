#pragma once
#include <cstdint>

// The sprite is a 16 x 16 alpha texture: a soft round spot, 231 at its centre and 0 on its border so
// no quad shows an edge.
constexpr int kSpriteTextureSize = 16;
constexpr int kSpriteTexelCount = kSpriteTextureSize * kSpriteTextureSize;

// Writes the sprite's alpha values into the caller's table, rows in order; the table is only needed
// while the texture is being made.
void fillSpriteAlpha(std::uint8_t spriteAlpha[kSpriteTexelCount]);
