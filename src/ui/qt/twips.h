#pragma once
// Window geometry is designed in twips (1440 per inch); on screen 15 twips make one pixel.
namespace veridane {

constexpr int kTwipsPerPixel = 15;
constexpr int Px(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }
constexpr int Twips(int pixels) { return pixels * kTwipsPerPixel; }

}  // namespace veridane
