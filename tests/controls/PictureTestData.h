// The generated pictures of tests/data/pictures and their expected pixels
// (written by make_pictures.py from Pillow's and ImageMagick's decoding).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/Bitmap.h"

namespace picturetest {

inline std::string PicturePath(const std::string &Name) {
  return std::string(TC_TEST_DATA) + "/pictures/" + Name;
}

inline std::vector<uint8_t> ReadPictureFile(const std::string &Name) {
  std::ifstream In(PicturePath(Name), std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> PictureIndex() {
  std::ifstream In(PicturePath("index.txt"));
  std::vector<std::string> Names;
  for (std::string Line; std::getline(In, Line);)
    if (!Line.empty())
      Names.push_back(Line);
  return Names;
}

inline bool EndsWith(const std::string &S, const std::string &Tail) {
  return S.size() >= Tail.size() && S.compare(S.size() - Tail.size(), Tail.size(), Tail) == 0;
}

inline std::vector<std::string> PicturesEndingIn(const std::string &Tail) {
  std::vector<std::string> Names = PictureIndex();
  Names.erase(std::remove_if(Names.begin(), Names.end(),
                             [&](const std::string &N) { return !EndsWith(N, Tail); }),
              Names.end());
  return Names;
}

struct Expectation {
  int Width = 0, Height = 0, Step = 1, Tolerance = 0;
  std::vector<int> Xs, Ys;              // sampled columns and rows
  std::vector<controls::Pixel> Samples; // Ys.size() x Xs.size()
};

inline std::vector<int> Sampled(int Count, int Step) {
  std::vector<int> V;
  for (int I = 0; I < Count; I += Step)
    V.push_back(I);
  if (V.back() != Count - 1)
    V.push_back(Count - 1);
  return V;
}

inline bool LoadExpectation(const std::string &Name, Expectation &E) {
  E = Expectation();
  std::ifstream In(PicturePath(Name + ".expect"));
  if (!(In >> E.Width >> E.Height >> E.Step >> E.Tolerance) || E.Width <= 0 || E.Height <= 0 ||
      E.Step <= 0)
    return false;
  E.Xs = Sampled(E.Width, E.Step);
  E.Ys = Sampled(E.Height, E.Step);
  std::string Hex;
  while (In >> Hex)
    E.Samples.push_back(static_cast<controls::Pixel>(std::strtoul(Hex.c_str(), nullptr, 16)));
  return E.Samples.size() == E.Xs.size() * E.Ys.size();
}

inline int ChannelDiff(controls::Pixel A, controls::Pixel B) {
  int D = 0;
  for (int Shift = 0; Shift < 24; Shift += 8)
    D = std::max(
        D, std::abs(static_cast<int>(A >> Shift & 0xFF) - static_cast<int>(B >> Shift & 0xFF)));
  return D;
}

// Same size as expected and every sampled pixel within the tolerance; the
// message names the first pixel that is not.
inline ::testing::AssertionResult Matches(const controls::Bitmap &B, const Expectation &E) {
  if (B.Width != E.Width || B.Height != E.Height ||
      B.Pixels.size() != static_cast<size_t>(B.Width) * B.Height)
    return ::testing::AssertionFailure()
           << "size " << B.Width << "x" << B.Height << ", expected " << E.Width << "x" << E.Height;
  size_t I = 0;
  for (int Y : E.Ys)
    for (int X : E.Xs) {
      const controls::Pixel Want = E.Samples[I++];
      if (ChannelDiff(B.At(X, Y), Want) > E.Tolerance)
        return ::testing::AssertionFailure() << "pixel (" << X << "," << Y << ") is " << std::hex
                                             << B.At(X, Y) << ", expected " << Want;
    }
  return ::testing::AssertionSuccess();
}

} // namespace picturetest
