// Whole frames of the real program on the headless backend at 640 x 480 x 32
// (FrameMove, Render and the present to memory) for each scene, the loading
// of a stage, the start-up to the first presented frame, and one whole
// stage drawn frame by frame for its peak memory and the trace log's growth.
// The two that need a fresh process run first, before this process starts
// its own game.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#endif

#include "Classes/SceneGame/SceneGame.h"
#include "frames_game.h"

namespace {

using bench::FrameGame;
using bench::Scene;

std::unique_ptr<FrameGame> g_game;

// The one game of the process (the game core and the texture registry are
// process-wide), started on first use.
FrameGame* Game(benchmark::State& state) {
  if (!g_game) {
    if (!bench::PrepareFolder()) {
      state.SkipWithError("the run folder is not built");
      return nullptr;
    }
    g_game.reset(new FrameGame);
    if (!g_game->Start()) {
      state.SkipWithError("the game did not start");
      return nullptr;
    }
  }
  return g_game.get();
}

// Start-up in a fresh process each time: window, device, the twenty
// textures, the first frame presented. Timed from fork to the child's word
// that its first frame is presented (so a fork is included).
void BM_Startup(benchmark::State& state) {
  if (g_game) return state.SkipWithError("start-up must run before the game exists");
  if (!bench::PrepareFolder()) return state.SkipWithError("the run folder is not built");
  for (auto _ : state) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return state.SkipWithError("no pipe");
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
      close(pipeEnds[0]);
      FrameGame game;
      char ok = game.Start() ? 1 : 0;
      if (write(pipeEnds[1], &ok, 1) != 1) _exit(2);
      _exit(0);
    }
    close(pipeEnds[1]);
    char ok = 0;
    ssize_t got = read(pipeEnds[0], &ok, 1);
    auto end = std::chrono::steady_clock::now();
    close(pipeEnds[0]);
    waitpid(child, nullptr, 0);
    if (got != 1 || !ok) return state.SkipWithError("the child did not start the game");
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
}
BENCHMARK(BM_Startup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The difficult stage (the most enemies) from its first to its last frame,
// every frame drawn, with an idle player, in a fresh process: its peak
// resident memory and the trace log's growth per minute of play.
void BM_WholeStageDifficult(benchmark::State& state) {
  if (g_game) return state.SkipWithError("a whole stage must run before the game exists");
  if (!bench::PrepareFolder()) return state.SkipWithError("the run folder is not built");
  for (auto _ : state) {
    const std::vector<double> figures = bench::InFreshProcess(3, [](double* figures) {
      FrameGame game;
      if (!game.Start()) return;
      game.StartStage('d');
      long logBefore = replay::TraceLogBytes();
      uint64_t frames = game.RideOut(true);
      long logAfter = replay::TraceLogBytes();
      figures[0] = static_cast<double>(frames);
      figures[1] = bench::PeakResidentBytes() / (1024.0 * 1024.0);
      figures[2] = (logAfter - logBefore) / (1024.0 * 1024.0) / (frames / 60.0 / 60.0);
    });
    if (figures.empty()) return state.SkipWithError("the stage failed");
    state.counters["frames"] = figures[0];
    state.counters["peak_rss_MB"] = figures[1];
    state.counters["log_MB_per_min"] = figures[2];
  }
}
BENCHMARK(BM_WholeStageDifficult)->Unit(benchmark::kSecond)->Iterations(1);

// Constructing the easy stage: its scene file, camera path and word list.
void BM_StageLoad(benchmark::State& state) {
  if (!Game(state)) return;
  for (auto _ : state) {
    CSceneGame* stage =
        new CSceneGame("Data\\scene10e.txt", "Data\\path10.txt", "Data\\easy.txt", true);
    state.PauseTiming();
    delete stage;
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StageLoad)->Unit(benchmark::kMillisecond);

void BM_FrameTitle(benchmark::State& state) {
  FrameGame* game = Game(state);
  if (!game) return;
  game->GoToTitle();
  for (auto _ : state) game->Frame();
}
BENCHMARK(BM_FrameTitle)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_FrameSelect(benchmark::State& state) {
  FrameGame* game = Game(state);
  if (!game) return;
  game->GoToSelect();
  for (auto _ : state) game->Frame();
}
BENCHMARK(BM_FrameSelect)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A stage at the moment the most targets hold words (an idle player lets
// them gather); the clock stands still so that every frame draws that moment.
void StageFrames(benchmark::State& state, char level) {
  FrameGame* game = Game(state);
  if (!game) return;
  game->GoToBusyStage(level);
  if (game->Current() != Scene::Stage) return state.SkipWithError("the stage ended");
  state.counters["active_targets"] = game->ActiveTargets();
  state.counters["stage_ms"] = game->StageTime();
  game->m_clockRuns = false;
  // The first drawn frame expands every texture.
  game->Frame();
  // Under callgrind --collect-atstart=no only these frames are counted,
  // not the ride to the busiest moment (nothing is done natively).
  CALLGRIND_TOGGLE_COLLECT;
  for (auto _ : state) game->Frame();
  CALLGRIND_TOGGLE_COLLECT;
  game->m_clockRuns = true;
}

void BM_FrameStageEasy(benchmark::State& state) {
  StageFrames(state, 'e');
}
BENCHMARK(BM_FrameStageEasy)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_FrameStageDifficult(benchmark::State& state) {
  StageFrames(state, 'd');
}
BENCHMARK(BM_FrameStageDifficult)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_FrameScore(benchmark::State& state) {
  FrameGame* game = Game(state);
  if (!game) return;
  game->GoToScore();
  game->m_clockRuns = false;  // the score screen would leave after ten seconds
  for (auto _ : state) game->Frame();
  game->m_clockRuns = true;
}
BENCHMARK(BM_FrameScore)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
