// A stage crowded beyond any sensible content: the easy city with 20,000
// enemies along the ride, written when the benchmark runs. Measured in a
// fresh process: the time from the level key to the stage's first frame
// (the benchmark's time) and the peak resident memory then; the drawn
// frames of its first half minute; and the peak resident memory once the
// whole stage has been ridden (the rest undrawn). Like the other benchmarks
// in a fresh process, it must run before this process starts its own game
// (its file sorts before frames.cpp). The child plays in a folder of its own
// whose Data/ holds the crowded scene in place of the easy one.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "Classes/SceneGame/CameraPath.h"
#include "FileInterpreter.h"
#include "frames_game.h"

namespace {

constexpr int kEnemies = 20000;

// Makes the folder "crowded" and moves into it: BMP/ is the run folder's,
// Data/ links to its files but for the easy scene, written with its enemies
// replaced by kEnemies others, each in front of the camera at the end of a
// seven-second window.
bool EnterCrowdedFolder() {
  const std::string run = VOSKAR_RUN_DIR;
  if (mkdir("crowded", 0700) != 0 || chdir("crowded") != 0 || mkdir("Data", 0700) != 0 ||
      symlink((run + "/BMP").c_str(), "BMP") != 0)
    return false;
  DIR* data = opendir((run + "/Data").c_str());
  if (!data) return false;
  while (const dirent* entry = readdir(data)) {
    const std::string name = entry->d_name;
    if (name[0] != '.' && name != "scene10e.txt" &&
        symlink((run + "/Data/" + name).c_str(), ("Data/" + name).c_str()) != 0)
      break;
  }
  closedir(data);
  std::ifstream easy(run + "/Data/scene10e.txt");
  std::stringstream text;
  text << easy.rdbuf();
  std::string city = text.str();
  const size_t end = city.rfind('}');
  if (end == std::string::npos) return false;
  city.erase(end);
  CCameraPath path;
  CFileInterpreter::ReadPath("Data\\path10.txt", [&path](CameraKey* key) { path.Add(key); });
  std::ofstream out("Data/scene10e.txt");
  std::istringstream lines(city);
  for (std::string line; std::getline(lines, line);)
    if (line.find("enemy{") == std::string::npos) out << line << '\n';
  unsigned seed = 1;
  auto random = [&seed](float low, float high) {
    seed = seed * 1103515245u + 12345u;
    return low + (high - low) * static_cast<float>((seed >> 8) & 0xFFFF) / 65535.0f;
  };
  for (int i = 0; i < kEnemies; ++i) {
    const int start = 2000 + i * 8, stop = start + 7000;
    D3DVECTOR eye, at, up;
    path.Place(stop, eye, at, up);
    const float dx = at.x - eye.x, dz = at.z - eye.z, length = std::hypot(dx, dz);
    const float ahead = random(10.0f, 25.0f), side = random(-0.4f, 0.4f) * ahead;
    out << "  enemy{ position " << eye.x + (dx * ahead + dz * side) / length << ' '
        << random(0.5f, 3.5f) << ' ' << eye.z + (dz * ahead - dx * side) / length << " time "
        << start << ' ' << stop << " texture Texture" << 4 + i % 2 << ".bmp }\n";
  }
  out << "}\n";
  return static_cast<bool>(out);
}

void BM_CrowdedStageLoad(benchmark::State& state) {
  if (!bench::PrepareFolder()) return state.SkipWithError("the run folder is not built");
  for (auto _ : state) {
    const std::vector<double> figures = bench::InFreshProcess(5, [](double* figures) {
      bench::FrameGame game;
      if (!EnterCrowdedFolder() || !game.Start()) return;
      game.GoToSelect();
      using Clock = std::chrono::steady_clock;
      Clock::time_point begin = Clock::now();
      game.StartStage('e');
      figures[0] = std::chrono::duration<double>(Clock::now() - begin).count();
      figures[1] = bench::PeakResidentBytes() / (1024.0 * 1024.0);
      begin = Clock::now();
      int frames = 0;
      for (; frames < 30 * 60 && game.Current() == bench::Scene::Stage; ++frames) game.Frame();
      figures[2] = std::chrono::duration<double>(Clock::now() - begin).count() * 1000.0 / frames;
      figures[3] = game.ActiveTargets();
      // The rest of the ride undrawn: the words still change hands.
      game.RideOut(false);
      figures[4] = bench::PeakResidentBytes() / (1024.0 * 1024.0);
    });
    if (figures.empty()) return state.SkipWithError("the stage failed");
    state.SetIterationTime(figures[0]);
    state.counters["load_peak_rss_MB"] = figures[1];
    state.counters["frame_ms"] = figures[2];
    state.counters["active_targets"] = figures[3];
    state.counters["peak_rss_MB"] = figures[4];
  }
}
BENCHMARK(BM_CrowdedStageLoad)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
