#include "FigureFilm.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Pose parameters, lengths in pixels and angles in degrees. Limb angles are
// measured from hanging straight down, positive towards the front (side view)
// or outwards (front view); joints add to the segment before them.
const std::set<std::string> kParameters{
    "x",      "y",       // whole figure offset
    "lean",              // torso from upright, forwards (side) or to the right (front)
    "round",             // torso curve: positive rounds the back, negative arches it
    "neck",              // head tilt against the torso
    "chin",              // head shift backwards (side view chin tuck)
    "look",              // face turned -1 (its right) .. 1 (its left), front view
    "sx", "sy",          // shoulder shift forwards / upwards (negative is up)
    "armL", "armR", "elbowL", "elbowR", "handL", "handR",
    "hipL", "hipR", "kneeL", "kneeR", "footL", "footR",
    // hand view
    "curl1", "curl2", "curl3", "curl4", // fingers index .. little, 0 straight, 1 bent
    "thumb",                            // thumb 0 out .. 1 across the palm
    "spread",                           // extra degrees between the fingers
    "rot",                              // hand turned about the wrist
    "flip"};                            // 1 back of the hand .. -1 palm

std::map<std::string, double> Neutral(const std::string &view, bool seated) {
  std::map<std::string, double> p;
  for (const auto &name : kParameters)
    p[name] = 0;
  p["flip"] = 1;
  if (view == "side" && seated) {
    p["hipL"] = p["hipR"] = 90;
    p["kneeL"] = p["kneeR"] = -90;
    p["armL"] = p["armR"] = 15;
    p["elbowL"] = p["elbowR"] = 60;
  }
  if (view == "side") {
    p["footL"] = p["footR"] = 90;
  }
  if (view == "front") {
    p["armL"] = p["armR"] = 8;
    p["hipL"] = p["hipR"] = seated ? 25 : 6;
    p["kneeL"] = p["kneeR"] = seated ? -25 : -6;
  }
  return p;
}

struct TPoint {
  double X, Y;
};
TPoint Along(TPoint from, double degreesFromDown, double length, double side = 1) {
  const double a = degreesFromDown * kPi / 180;
  return {from.X + side * std::sin(a) * length, from.Y + std::cos(a) * length};
}

struct TRgb {
  uint8_t R, G, B;
};
constexpr TRgb kBackground{238, 243, 247}, kFloor{184, 196, 206}, kChair{201, 183, 156},
    kBody{47, 64, 88}, kFar{126, 143, 166}, kAccent{224, 123, 57}, kFace{238, 243, 247},
    kPalm{233, 196, 170};

// Coverage-blended drawing on an RGB frame.
class TFrame {
public:
  std::vector<uint8_t> Pixels = std::vector<uint8_t>(kFilmSize * kFilmSize * 3);
  TFrame() {
    for (size_t i = 0; i < Pixels.size(); i += 3) {
      Pixels[i] = kBackground.R;
      Pixels[i + 1] = kBackground.G;
      Pixels[i + 2] = kBackground.B;
    }
  }
  void Capsule(TPoint a, TPoint b, double radius, TRgb colour) {
    Shape(std::min(a.X, b.X) - radius, std::min(a.Y, b.Y) - radius, std::max(a.X, b.X) + radius,
          std::max(a.Y, b.Y) + radius, colour, [&](double x, double y) {
            const double dx = b.X - a.X, dy = b.Y - a.Y, len2 = dx * dx + dy * dy;
            const double t = len2 > 0 ? std::clamp(((x - a.X) * dx + (y - a.Y) * dy) / len2, 0.0, 1.0) : 0;
            return std::hypot(x - a.X - t * dx, y - a.Y - t * dy) - radius;
          });
  }
  void Disc(TPoint c, double radius, TRgb colour) { Capsule(c, c, radius, colour); }
  void Ellipse(TPoint c, double rx, double ry, TRgb colour) {
    Shape(c.X - rx, c.Y - ry, c.X + rx, c.Y + ry, colour, [&](double x, double y) {
      const double k = std::hypot((x - c.X) / rx, (y - c.Y) / ry);
      return (k - 1) * std::min(rx, ry);
    });
  }
  void Box(double left, double top, double right, double bottom, TRgb colour) {
    Shape(left, top, right, bottom, colour, [&](double x, double y) {
      return std::max({left - x, x - right, top - y, y - bottom});
    });
  }

private:
  // distance(x, y) < 0 inside; the edge is blended over one pixel.
  template <typename Distance>
  void Shape(double left, double top, double right, double bottom, TRgb colour, Distance distance) {
    const int x0 = std::max(0, static_cast<int>(left) - 1), y0 = std::max(0, static_cast<int>(top) - 1);
    const int x1 = std::min(kFilmSize - 1, static_cast<int>(right) + 1);
    const int y1 = std::min(kFilmSize - 1, static_cast<int>(bottom) + 1);
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        const double cover = std::clamp(0.5 - distance(x + 0.5, y + 0.5), 0.0, 1.0);
        if (cover <= 0)
          continue;
        uint8_t *p = &Pixels[(static_cast<size_t>(y) * kFilmSize + x) * 3];
        p[0] = static_cast<uint8_t>(p[0] + (colour.R - p[0]) * cover);
        p[1] = static_cast<uint8_t>(p[1] + (colour.G - p[1]) * cover);
        p[2] = static_cast<uint8_t>(p[2] + (colour.B - p[2]) * cover);
      }
  }
};

double Smooth(double t) { return t * t * (3 - 2 * t); }

class TPainter {
public:
  TPainter(const TExercisePlan &plan, std::map<std::string, double> pose, TFrame &frame)
      : plan_(plan), p_(std::move(pose)), f_(frame) {}

  void Paint() {
    if (plan_.View == "hand")
      Hand();
    else
      Body(plan_.View == "side");
  }

private:
  TRgb Colour(const std::string &segment, TRgb normal) const {
    return std::find(plan_.Accent.begin(), plan_.Accent.end(), segment) != plan_.Accent.end() ? kAccent
                                                                                             : normal;
  }

  // One limb: three segments from a root; side -1 mirrors it (front view left).
  void Limb(TPoint root, const std::string &a, const std::string &b, const std::string &c,
            double la, double lb, double lc, double width, double side, TRgb colour,
            bool lastAcross = false) {
    const TPoint j1 = Along(root, p_[a], la, side);
    const TPoint j2 = Along(j1, p_[a] + p_[b], lb, side);
    const TPoint j3 = Along(j2, p_[a] + p_[b] + p_[c], lc, side);
    f_.Capsule(root, j1, width, Colour(a, colour));
    f_.Capsule(j1, j2, width * 0.9, Colour(b, colour));
    f_.Capsule(j2, j3, width * (lastAcross ? 0.7 : 0.8), Colour(c, colour));
  }

  void Body(bool side) {
    const double floor = 170;
    f_.Box(0, floor, kFilmSize, floor + 2, kFloor);
    const double seatY = 128;
    TPoint pelvis{(side ? 72.0 : 90.0) + p_["x"], (plan_.Seated ? seatY : 96.0) + p_["y"]};
    if (plan_.Seated) {
      if (side) {
        f_.Box(55, seatY + 8, 104, seatY + 14, kChair);   // seat
        f_.Box(76, seatY + 14, 80, floor, kChair);        // column
        f_.Box(52, seatY - 44, 58, seatY + 10, kChair);   // backrest
      } else {
        f_.Box(62, seatY + 6, 118, seatY + 12, kChair);
        f_.Box(87, seatY + 12, 93, floor, kChair);
      }
    }
    // Torso as two segments through a middle point moved by "round".
    const double lean = p_["lean"];
    const TPoint neck = Along(pelvis, 180 - lean, 50, side ? 1 : -1);
    const TPoint middle{(pelvis.X + neck.X) / 2 - (side ? p_["round"] : 0),
                        (pelvis.Y + neck.Y) / 2 + (side ? 0 : p_["round"] * 0.3)};
    const TPoint shoulder{neck.X + p_["sx"], neck.Y + 4 + p_["sy"]};
    const double thigh = side ? 38 : (plan_.Seated ? 14 : 38);

    if (side) {
      // Far limbs first, in the lighter colour.
      Limb(pelvis, "hipL", "kneeL", "footL", thigh, 36, 11, 6, 1, kFar);
      Limb(shoulder, "armL", "elbowL", "handL", 30, 27, 12, 4.5, 1, kFar);
    }
    f_.Capsule(pelvis, middle, 9, Colour("torso", kBody));
    f_.Capsule(middle, neck, 9, Colour("torso", kBody));
    Head(neck, side, lean);
    if (side) {
      Limb(pelvis, "hipR", "kneeR", "footR", thigh, 36, 11, 6.5, 1, kBody);
      Limb(shoulder, "armR", "elbowR", "handR", 30, 27, 12, 5, 1, kBody);
    } else {
      for (const double s : {-1.0, 1.0}) {
        const std::string l = s < 0 ? "L" : "R";
        const TPoint hip{pelvis.X + 9 * s, pelvis.Y};
        Limb(hip, "hip" + l, "knee" + l, "foot" + l, thigh, 36, 0.1, 6.5, s, kBody);
        const TPoint foot = Along(Along(hip, p_["hip" + l], thigh, s), p_["hip" + l] + p_["knee" + l], 36, s);
        f_.Capsule(foot, {foot.X + 6 * s, foot.Y}, 4, Colour("foot" + l, kBody));
        const TPoint sh{neck.X + 17 * s, neck.Y + 5 + p_["sy"]};
        f_.Capsule(neck, sh, 7, Colour("shoulder" + l, kBody));
        Limb(sh, "arm" + l, "elbow" + l, "hand" + l, 30, 27, 12, 5, s, kBody);
      }
    }
  }

  void Head(TPoint neck, bool side, double lean) {
    const double tilt = (side ? lean : -lean) + p_["neck"];
    TPoint centre = Along(neck, 180 - tilt, 15, side ? 1 : -1);
    centre.X -= p_["chin"];
    f_.Capsule(neck, centre, 4.5, Colour("neck", kBody));
    f_.Disc(centre, 11.5, Colour("head", kBody));
    if (side) {
      // Eye and nose show where the face looks.
      const TPoint eye = Along(centre, 105 - tilt, 6, 1);
      f_.Disc(eye, 1.6, kFace);
      f_.Disc(Along(centre, 85 - tilt, 11.5, 1), 2.5, Colour("head", kBody));
    } else {
      const double turn = p_["look"] * 5;
      const TPoint middle = Along(centre, 180 + p_["neck"], 2, -1);
      for (const double s : {-1.0, 1.0})
        f_.Disc({middle.X + s * 4.5 + turn, middle.Y}, 1.6, kFace);
    }
  }

  void Hand() {
    const TPoint wrist{90, 150};
    f_.Capsule({90, 185}, wrist, 16, Colour("arm", kFar));
    const double flip = std::clamp(p_["flip"], -1.0, 1.0);
    const double width = std::max(0.25, std::fabs(flip));
    const TRgb skin = flip >= 0 ? kBody : kPalm;
    const double rot = p_["rot"];
    const TPoint palm = Along(wrist, 180 + rot, 30, 1);
    f_.Ellipse(palm, 22 * width, 26, Colour("hand", skin));
    // Fingers: index to little finger, fanned over the top of the palm.
    const double lengths[4] = {34, 37, 34, 27};
    for (int i = 0; i < 4; ++i) {
      const double fan = (i - 1.5) * (9 + p_["spread"]);
      const double base = 180 + rot + fan;
      const TPoint knuckle = Along(palm, base, 22, width);
      const double curl = std::clamp(p_["curl" + std::to_string(i + 1)], 0.0, 1.0);
      const TPoint middle = Along(knuckle, base - curl * 70, lengths[i] * 0.55, width);
      const TPoint tip = Along(middle, base - curl * 160, lengths[i] * 0.45, width);
      f_.Capsule(knuckle, middle, 5.5, Colour("fingers", skin));
      f_.Capsule(middle, tip, 5, Colour("fingers", skin));
    }
    const double thumb = std::clamp(p_["thumb"], 0.0, 1.0);
    const TPoint root = Along(palm, 180 + rot - 100, 16, width);
    const TPoint joint = Along(root, 180 + rot - 60 + thumb * 50, 16, width);
    const TPoint tip = Along(joint, 180 + rot - 20 + thumb * 70, 14, width);
    f_.Capsule(root, joint, 6, Colour("thumb", skin));
    f_.Capsule(joint, tip, 5.5, Colour("thumb", skin));
  }

  const TExercisePlan &plan_;
  std::map<std::string, double> p_;
  TFrame &f_;
};

} // namespace

bool ParseExerciseScript(const std::string &text, std::vector<TExercisePlan> &out, std::string &error) {
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string keyword;
    if (!(words >> keyword))
      continue;
    const std::string where = "line " + std::to_string(number) + ": ";
    if (keyword == "exercise") {
      TExercisePlan plan;
      std::string setting, accent;
      if (!(words >> plan.Number >> plan.View >> setting >> plan.Seconds) ||
          (plan.View != "front" && plan.View != "side" && plan.View != "hand") ||
          (setting != "seated" && setting != "standing") || plan.Seconds <= 0) {
        error = where + "exercise NUMBER front|side|hand seated|standing SECONDS [accent=...]";
        return false;
      }
      plan.Seated = setting == "seated";
      if (words >> accent) {
        if (accent.rfind("accent=", 0) != 0) {
          error = where + "accent=SEGMENT,... expected";
          return false;
        }
        std::istringstream names(accent.substr(7));
        for (std::string name; std::getline(names, name, ',');)
          plan.Accent.push_back(name);
      }
      out.push_back(plan);
    } else if (keyword == "pose") {
      if (out.empty()) {
        error = where + "a pose belongs to an exercise";
        return false;
      }
      std::map<std::string, double> pose;
      for (std::string item; words >> item;) {
        const size_t eq = item.find('=');
        const std::string name = item.substr(0, eq);
        if (eq == std::string::npos || !kParameters.count(name)) {
          error = where + "unknown pose parameter " + name;
          return false;
        }
        try {
          pose[name] = std::stod(item.substr(eq + 1));
        } catch (...) {
          error = where + "not a number: " + item;
          return false;
        }
      }
      out.back().Poses.push_back(pose);
    } else {
      error = where + "exercise or pose expected";
      return false;
    }
  }
  for (const auto &plan : out)
    if (plan.Poses.empty()) {
      error = "exercise " + std::to_string(plan.Number) + " has no pose";
      return false;
    }
  return true;
}

std::vector<std::vector<uint8_t>> FilmFrames(const TExercisePlan &plan) {
  const auto neutral = Neutral(plan.View, plan.Seated);
  std::vector<std::map<std::string, double>> poses;
  for (const auto &given : plan.Poses) {
    auto pose = neutral;
    for (const auto &[name, value] : given)
      pose[name] = value;
    poses.push_back(pose);
  }
  const int count = std::max(1, static_cast<int>(std::lround(plan.Seconds * kFramesPerSecond)));
  std::vector<std::vector<uint8_t>> frames;
  for (int i = 0; i < count; ++i) {
    // The cycle visits every pose and returns to the first at the end.
    const double along = static_cast<double>(i) / count * poses.size();
    const size_t from = static_cast<size_t>(along) % poses.size();
    const size_t to = (from + 1) % poses.size();
    const double t = Smooth(along - std::floor(along));
    std::map<std::string, double> pose;
    for (const auto &[name, value] : poses[from])
      pose[name] = value + (poses[to].at(name) - value) * t;
    TFrame frame;
    TPainter(plan, pose, frame).Paint();
    frames.push_back(std::move(frame.Pixels));
  }
  return frames;
}
