#include "Session.h"

#include <algorithm>

#include "Application.h"
#include "Classes/IScene.h"
#include "Classes/SceneGame/Target.h"

namespace replay {
namespace {

// Frames for a requested picture to be drawn, presented and compared.
const uint64_t kPictureFrames = 2;
// The score screen leaves by itself a little more than ten seconds after its
// first frame; half a second more is certainly past it.
const uint64_t kScoreTimeoutFrames = 630;

// One bullet reaching the player, by the player status rules.
void ApplyDamage(StatusValues* status, bool* refilled) {
  if (--status->life == 0) {
    status->life = 6;
    status->score = std::max(0, status->score - 1000);
    *refilled = true;
  }
}

}  // namespace

StatusValues Session::Status() const {
  const CPlayerStatus* status = CApplication::GetInstance()->GetPlayerStatus();
  StatusValues values;
  values.score = status->GetScore();
  values.life = status->GetLife();
  values.ammo = status->GetAmmo();
  values.shots = status->GetShotCount();
  values.hits = status->GetHitCount();
  return values;
}

bool Session::Play(const std::vector<Round>& rounds) {
  m_rounds = rounds;
  m_reports.assign(rounds.size(), RoundReport());
  m_game.m_script = [this](uint64_t frame) { Step(frame); };
  // Each round: menus, about 10,000 stage frames and the score screen.
  return m_game.Play(rounds.size() * 12000 + 600);
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
      record.dead = true;
      newKill = true;
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
  StatusValues now = Status();
  StatusValues expected = m_lastStatus;
  bool refilled = false;
  for (int i = 0; i < newHits; ++i) ApplyDamage(&expected, &refilled);
  if (refilled) ++report.lifeRefills;
  if (now.life != expected.life || (!newKill && now.score != expected.score))
    ++report.damageRuleBreaks;
  report.lowestScore = std::min(report.lowestScore, now.score);
  m_lastStatus = now;
}

void Session::Step(uint64_t frame) {
  if (m_round >= m_rounds.size()) {
    if (m_phase != Phase::Done) {
      m_phase = Phase::Done;
      m_game.Close();
    }
    return;
  }
  HWND window = m_game.Window();
  const Round& round = m_rounds[m_round];
  RoundReport& report = m_reports[m_round];
  CSceneGame* stage = CurrentStage();
  switch (m_phase) {
    case Phase::Title:
      if (frame < m_due) return;
      if (!round.titlePicture.empty() && m_nextPicture == 0) {
        m_game.CheckNextPicture(round.titlePicture + "-round" + std::to_string(m_round + 1),
                                round.titlePicture);
        m_nextPicture = 1;
        m_due = frame + kPictureFrames;
        return;
      }
      // Escape leaves the title like any other key.
      PressKey(window, m_round % 2 ? KeyEscape : 'x');
      m_phase = Phase::Select;
      m_nextPicture = 0;
      m_due = frame + 3;
      return;
    case Phase::Select:
      if (frame < m_due) return;
      if (!round.selectPicture.empty() && m_nextPicture == 0) {
        m_game.CheckNextPicture(round.selectPicture + "-round" + std::to_string(m_round + 1),
                                round.selectPicture);
        m_nextPicture = 1;
        m_due = frame + kPictureFrames;
        return;
      }
      // A key that chooses nothing, then the level's letter in upper case.
      PressKey(window, 'q');
      PressKey(window, round.level - 'a' + 'A');
      m_phase = Phase::Stage;
      m_nextPicture = 0;
      m_due = frame;
      return;
    case Phase::Stage:
      if (stage) {
        if (!report.stageStarted) {
          report.stageStarted = true;
          report.atStageStart = Status();
          m_lastStatus = report.atStageStart;
          report.lowestScore = m_lastStatus.score;
          m_targets.clear();
          m_typist.reset(new Typist(round.typist));
        }
        WatchStage(*stage);
        uint32_t stageTime = CSceneGameInspector::Impl(*stage).m_time;
        // A picture is taken from its time on at the first moment a word is
        // partly typed, so that it shows the sight and the typed letters.
        CTarget* locked = CSceneGameInspector::Impl(*stage).m_activeTarget;
        bool busy = locked && locked->GetTyped() >= 2 && locked->GetText().size() >= 4;
        if (m_nextPicture < round.stagePictures.size() &&
            stageTime >= round.stagePictures[m_nextPicture].first &&
            (busy || stageTime >= round.stagePictures[m_nextPicture].first + 20000)) {
          m_game.CheckNextPicture(round.stagePictures[m_nextPicture].second);
          ++m_nextPicture;
        }
        if (int key = m_typist->Look(*stage, m_game.NowMs())) PressKey(window, key);
        return;
      }
      if (!report.stageStarted) {
        if (frame > m_due + 3) {
          Fail("the level select did not start a stage");
          m_phase = Phase::Done;
          m_game.Close();
        }
        return;
      }
      // The stage has cleared itself: the score screen is current.
      report.stageEnded = true;
      report.atStageEnd = Status();
      report.ledger = m_typist->Ledger();
      m_game.TakeNextPicture(&m_scorePixels);
      if (!round.scorePicture.empty()) m_game.CheckNextPicture(round.scorePicture);
      m_phase = Phase::ScoreShown;
      m_due = frame + kPictureFrames;
      m_phaseStartMs = m_game.NowMs();
      return;
    case Phase::ScoreShown: {
      if (frame < m_due) return;
      std::string problem;
      report.scoreRead = ReadScoreScreen(m_scorePixels, 640, 480, &report.scoreScreen, &problem);
      if (!report.scoreRead)
        Fail("score screen of round " + std::to_string(m_round + 1) + ": " + problem);
      if (round.leaveScoreWithKey) {
        PressKey(window, ' ');
        m_due = frame + 3;
      } else {
        m_due = frame + kScoreTimeoutFrames;
      }
      m_phase = Phase::ScoreLeft;
      return;
    }
    case Phase::ScoreLeft: {
      if (frame < m_due) return;
      // Leaving the score screen resets the status for the next game.
      StatusValues now = Status();
      report.backAtTitle =
          now.score == 0 && now.life == 5 && now.ammo == 6 && now.shots == 0 && now.hits == 0;
      m_game.CheckNextPicture("title-after-round" + std::to_string(m_round + 1), "title");
      ++m_round;
      m_phase = Phase::Title;
      m_nextPicture = 1;  // the title was just checked
      m_due = frame + kPictureFrames + 1;
      return;
    }
    case Phase::Done:
      return;
  }
}

}  // namespace replay
