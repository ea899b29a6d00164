#pragma once
// Short looping films of a drawn figure doing an exercise, for the exercise
// videos. A script (content/videos/exercises.txt) describes each exercise as
// a view, a setting and a cycle of poses; the film moves smoothly from pose to
// pose and back to the first, and the frames go to an encoder as raw RGB.
//
//   exercise 1 side seated 6 accent=armR,elbowR
//   pose sy=0 sx=0
//   pose sy=-6
//
// Views: front, side (the figure faces right) and hand (a close-up of a hand).
// Pose parameters not given keep the view's neutral value (see kParameters in
// FigureFilm.cpp for names and meanings).

#include <cstdint>
#include <map>
#include <string>
#include <vector>

constexpr int kFilmSize = 180;       // pixels, square
constexpr int kFramesPerSecond = 10;

struct TExercisePlan {
  int Number = 0;
  std::string View;    // front, side, hand
  bool Seated = false; // a chair is drawn and the neutral pose sits on it
  double Seconds = 0;
  std::vector<std::string> Accent; // segments drawn in the accent colour
  std::vector<std::map<std::string, double>> Poses;
};

// All exercises of a script; false with the line on a syntax error, an
// unknown view or parameter, or an exercise without poses.
bool ParseExerciseScript(const std::string &text, std::vector<TExercisePlan> &out, std::string &error);

// The frames of one exercise, each kFilmSize x kFilmSize RGB bytes.
std::vector<std::vector<uint8_t>> FilmFrames(const TExercisePlan &plan);
