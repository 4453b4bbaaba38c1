#include "Session.h"

#include <algorithm>

#include "Application.h"
#include "Classes/IScene.h"
#include "Classes/SceneGame/Target.h"
#include "support/Golden.h"
#include "support/StageInspector.h"
#include "testing.h"

namespace replay {
namespace {

// Frames for a requested picture to be drawn, presented and compared.
const uint64_t kPictureFrames = 2;
// The score screen leaves by itself a little more than ten seconds after its
// first frame; half a second more is certainly past it.
const uint64_t kScoreTimeoutFrames = 630;
// The statistics line at the top is left out of the comparisons: its rate is
// updated when a second has passed, and at exactly 60 frames a second that
// test lands on the boundary, where builds may round differently.
const int kStatisticsRows = 16;

// One bullet reaching the player, by the player status rules.
void ApplyDamage(StatusValues* status, bool* refilled) {
  if (--status->life == 0) {
    status->life = 6;
    status->score = std::max(0, status->score - 1000);
    *refilled = true;
  }
}

bool Fresh(const StatusValues& s) {
  return s.score == 0 && s.life == 5 && s.ammo == 6 && s.shots == 0 && s.hits == 0;
}

}  // namespace

StatusValues Session::Status() {
  const CPlayerStatus* status = CApplication::GetInstance()->GetPlayerStatus();
  return {status->GetScore(), status->GetLife(), status->GetAmmo(), status->GetShotCount(),
          status->GetHitCount()};
}

bool Session::Play(const std::vector<Round>& rounds) {
  m_rounds = rounds;
  m_reports.assign(rounds.size(), RoundReport());
  if (!m_driver.Start()) return false;
  // Each round: menus, about 10,000 stage frames and the score screen.
  m_driver.RunWith(rounds.size() * 12000 + 600, [this](uint64_t frame) { Step(frame); });
  return true;
}

void Session::CheckPicture(const std::string& name, std::vector<uint32_t>* keep) {
  m_driver.TakeNextPicture([name, keep](const std::vector<uint32_t>& pixels, int w, int h) {
    if (keep) *keep = pixels;
    if (name.empty()) return;
    if (pixels.empty()) return Problem(name + ": nothing presented");
    // Filtering and blending may round a channel differently by a level or
    // two; a wrong picture, word or digit changes hundreds of pixels by far
    // more.
    const std::string problem = golden::CheckPicture(VOSKAR_REFERENCE_DIR, VOSKAR_OUTPUT_DIR, name,
                                                     pixels, w, h, {8, 2000, kStatisticsRows});
    if (!problem.empty()) Problem(problem);
  });
}

void Session::WatchStage(CSceneGame& stage) {
  RoundReport& report = m_reports[m_round];
  CSceneGame::CImpl& impl = CSceneGameInspector::Impl(stage);
  report.lastStageTime = impl.m_time;
  int newHits = 0;
  bool newKill = false;
  for (CObject* object : impl.m_objects) {
    CTarget* target = dynamic_cast<CTarget*>(object);
    if (!target) continue;
    auto found = m_targets.find(target);
    if (found == m_targets.end()) {
      found = m_targets.emplace(target, TargetRecord()).first;
      found->second.bullet = dynamic_cast<CBullet*>(target) != nullptr;
    }
    TargetRecord& record = found->second;
    if (!record.activated && !target->GetText().empty()) {
      record.activated = true;
      ++(record.bullet ? report.bulletsFired : report.enemiesActivated);
    }
    if (!record.dead && target->IsDead()) {
      record.dead = newKill = true;
      ++(record.bullet ? report.bulletsShot : report.enemiesShot);
    }
    if (record.bullet && !record.hit && static_cast<CBullet*>(target)->HasHit()) {
      record.hit = true;
      ++newHits;
      ++report.bulletsHit;
      if (record.dead) ++report.shotBulletsThatHit;
    }
  }
  // Life and score against the damage rules. Kills add points before the
  // frame's damage, so the score is only checked in frames without a kill.
  const StatusValues now = Status();
  StatusValues expected = m_lastStatus;
  bool refilled = false;
  for (int i = 0; i < newHits; ++i) ApplyDamage(&expected, &refilled);
  if (refilled) ++report.lifeRefills;
  if (now.life != expected.life || (!newKill && now.score != expected.score))
    ++report.damageRuleBreaks;
  report.lowestScore = std::min(report.lowestScore, now.score);
  m_lastStatus = now;
}

void Session::StepStage(CSceneGame& stage, const Round& round, RoundReport& report) {
  if (!report.stageStarted) {
    report.stageStarted = true;
    report.atStageStart = m_lastStatus = Status();
    report.lowestScore = m_lastStatus.score;
    m_targets.clear();
    m_typist.reset(new Typist(round.typist));
  }
  WatchStage(stage);
  CSceneGame::CImpl& impl = CSceneGameInspector::Impl(stage);
  if (round.rebuildAtMs >= 0 && !report.rebuilt &&
      impl.m_time >= static_cast<uint32_t>(round.rebuildAtMs)) {
    // As when a minimised window is restored: the display is rebuilt.
    report.rebuilt = true;
    platform::InjectMessage(m_driver.Window(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480));
    return;
  }
  // A picture is taken from its time on at the first moment a word is partly
  // typed, so that it shows the sight and the typed letters.
  const CTarget* locked = impl.m_activeTarget;
  const bool busy = locked && locked->GetTyped() >= 2 && locked->GetText().size() >= 4;
  if (m_nextPicture < round.stagePictures.size() &&
      impl.m_time >= round.stagePictures[m_nextPicture].first &&
      (busy || impl.m_time >= round.stagePictures[m_nextPicture].first + 20000))
    CheckPicture(round.stagePictures[m_nextPicture++].second);
  if (int key = m_typist->Look(stage, m_driver.NowMs())) PressKey(m_driver.Window(), key);
}

void Session::NextRound(uint64_t frame) {
  ++m_round;
  m_phase = Phase::Title;
  m_nextPicture = 0;
  m_due = frame + kPictureFrames + 1;
}

void Session::Step(uint64_t frame) {
  if (m_round >= m_rounds.size()) {
    if (m_phase != Phase::Done) m_driver.Close();
    m_phase = Phase::Done;
    return;
  }
  HWND window = m_driver.Window();
  const Round& round = m_rounds[m_round];
  RoundReport& report = m_reports[m_round];
  switch (m_phase) {
    case Phase::Title:
      if (frame < m_due) return;
      if (!round.titlePicture.empty() && !m_menuPictureTaken) {
        CheckPicture(round.titlePicture);
        m_menuPictureTaken = true;
        m_due = frame + kPictureFrames;
        return;
      }
      // Escape leaves the title like any other key.
      PressKey(window, m_round % 2 ? kEscapeKey : 'x');
      m_phase = Phase::Select;
      m_menuPictureTaken = false;
      m_due = frame + 3;
      return;
    case Phase::Select:
      if (frame < m_due) return;
      if (!round.selectPicture.empty() && !m_menuPictureTaken) {
        CheckPicture(round.selectPicture);
        m_menuPictureTaken = true;
        m_due = frame + kPictureFrames;
        return;
      }
      // A key that chooses nothing, then the level's letter in upper case.
      PressKey(window, 'q');
      PressKey(window, round.level - 'a' + 'A');
      m_phase = Phase::Stage;
      m_menuPictureTaken = false;
      m_due = frame;
      return;
    case Phase::Stage:
      if (CSceneGame* stage = CurrentStage()) return StepStage(*stage, round, report);
      if (!report.stageStarted) {
        if (frame > m_due + 3) {
          Problem("the level select did not start a stage");
          m_phase = Phase::Done;
          m_driver.Close();
        }
        return;
      }
      if (report.rebuilt) {
        // Back at the title with a fresh status; the round ends here.
        report.backAtTitle = Fresh(Status());
        return NextRound(frame + 30);
      }
      // The stage has cleared itself: the score screen is current.
      report.stageEnded = true;
      report.atStageEnd = Status();
      report.ledger = m_typist->Ledger();
      CheckPicture(round.scorePicture, &m_scorePixels);
      m_phase = Phase::ScoreShown;
      m_due = frame + kPictureFrames;
      return;
    case Phase::ScoreShown: {
      if (frame < m_due) return;
      std::string problem;
      report.scoreRead = ReadScoreScreen(m_scorePixels, 640, 480, &report.scoreScreen, &problem);
      if (!report.scoreRead)
        Problem("score screen of round " + std::to_string(m_round + 1) + ": " + problem);
      if (round.leaveScoreWithKey) PressKey(window, ' ');
      m_due = frame + (round.leaveScoreWithKey ? 3 : kScoreTimeoutFrames);
      m_phase = Phase::ScoreLeft;
      return;
    }
    case Phase::ScoreLeft:
      if (frame < m_due) return;
      // Leaving the score screen resets the status for the next game.
      report.backAtTitle = Fresh(Status());
      CheckPicture("title");
      NextRound(frame);
      m_menuPictureTaken = true;  // the title was just checked
      return;
    case Phase::Done:
      return;
  }
}

}  // namespace replay
