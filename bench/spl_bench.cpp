// The physics system's frame in a crowded field, against testing every pair and against
// Box2D on the same circles under the same pull. Prints Google Benchmark's report, then a
// table of time per frame and ratios.
#include <benchmark/benchmark.h>
#include <box2d/box2d.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <map>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "splscene.h"

namespace {

const int COUNTS[] = {100, 300, 1000, 3000};
// The field falls in towards the centre; it is built afresh after this many frames (10 s of
// game time) so that every run measures the same kind of field.
constexpr int FRAMES_PER_FIELD = 600;
constexpr double STEP_SECONDS = splscene::FRAME_SECONDS / splscene::STEPS_PER_FRAME;

// ---- SPL, and SPL's motion with every pair tested ----------------------------------------

std::size_t allPairsFrame(SPLSystem& system) {
  system.beginFrame();
  for (int step = 0; step < splscene::STEPS_PER_FRAME; ++step) {
    system.moveShapes(STEP_SECONDS);
    const auto& shapes = system.shapes();
    for (std::size_t i = 0; i < shapes.size(); ++i) {
      for (std::size_t j = i + 1; j < shapes.size(); ++j) system.testPair(*shapes[i], *shapes[j]);
    }
  }
  const std::size_t contacts = system.collisions().size() + system.overlaps().size();
  system.endFrame();
  return contacts;
}

template <std::size_t (*FRAME)(SPLSystem&)>
void runSPL(benchmark::State& state) {
  const auto bodies = splscene::makeBodies(static_cast<int>(state.range(0)));
  SPLSystem* system = splscene::buildSystem(bodies);
  int frames = 0;
  double contacts = 0.0;
  for (auto _ : state) {
    if (frames == FRAMES_PER_FIELD) {
      state.PauseTiming();
      splscene::tearDown(system);
      system = splscene::buildSystem(bodies);
      frames = 0;
      state.ResumeTiming();
    }
    contacts += static_cast<double>(FRAME(*system));
    ++frames;
  }
  state.counters["contacts"] = benchmark::Counter(contacts, benchmark::Counter::kAvgIterations);
  splscene::tearDown(system);
}

void BM_SPL(benchmark::State& state) {
  runSPL<splscene::frame>(state);
}
void BM_AllPairs(benchmark::State& state) {
  runSPL<allPairsFrame>(state);
}

// ---- Box2D --------------------------------------------------------------------------------

class Box2DField {
 public:
  explicit Box2DField(const std::vector<splscene::Body>& bodies) : mWorld(b2Vec2(0.0f, 0.0f)) {
    mWorld.SetContactListener(&mCounter);
    for (const splscene::Body& body : bodies) {
      b2BodyDef definition;
      definition.type = b2_dynamicBody;
      definition.position.Set(static_cast<float>(body.position.x()), static_cast<float>(body.position.y()));
      definition.linearVelocity.Set(static_cast<float>(body.velocity.x()),
                                    static_cast<float>(body.velocity.y()));
      definition.allowSleep = false;  // the pull never lets a blob rest
      b2Body* b2body = mWorld.CreateBody(&definition);
      b2CircleShape circle;
      circle.m_radius = static_cast<float>(body.radius);
      b2FixtureDef fixture;
      fixture.shape = &circle;
      fixture.density = static_cast<float>(body.mass / (std::numbers::pi * body.radius * body.radius));
      fixture.friction = 0.0f;
      fixture.restitution = 1.0f;  // elastic, as SPL's bounce
      b2body->CreateFixture(&fixture);
      mBodies.push_back(b2body);
    }
    // The shield: fixed, and only reporting what passes through it.
    b2BodyDef definition;
    b2Body* shield = mWorld.CreateBody(&definition);
    b2CircleShape circle;
    circle.m_radius = static_cast<float>(splscene::SHIELD_RADIUS);
    b2FixtureDef fixture;
    fixture.shape = &circle;
    fixture.isSensor = true;
    shield->CreateFixture(&fixture);
  }

  std::size_t frame(int velocityIterations, int positionIterations) {
    mCounter.contacts = 0;
    for (int step = 0; step < splscene::STEPS_PER_FRAME; ++step) {
      for (b2Body* body : mBodies) {
        const b2Vec2 p = body->GetPosition();
        const float r = p.Length();
        if (r >= splscene::GRAVITY_MINIMUM && r <= splscene::GRAVITY_MAXIMUM) {
          body->ApplyForceToCenter(static_cast<float>(splscene::GRAVITY) / r * p, true);
        }
      }
      mWorld.Step(static_cast<float>(STEP_SECONDS), velocityIterations, positionIterations);
    }
    return mCounter.contacts;
  }

 private:
  struct Counter : b2ContactListener {
    void BeginContact(b2Contact*) override { ++contacts; }
    std::size_t contacts = 0;
  };

  Counter mCounter;
  b2World mWorld;
  std::vector<b2Body*> mBodies;
};

void runBox2D(benchmark::State& state, int velocityIterations, int positionIterations) {
  const auto bodies = splscene::makeBodies(static_cast<int>(state.range(0)));
  auto field = std::make_unique<Box2DField>(bodies);
  int frames = 0;
  double contacts = 0.0;
  for (auto _ : state) {
    if (frames == FRAMES_PER_FIELD) {
      state.PauseTiming();
      field = std::make_unique<Box2DField>(bodies);
      frames = 0;
      state.ResumeTiming();
    }
    contacts += static_cast<double>(field->frame(velocityIterations, positionIterations));
    ++frames;
  }
  // Box2D counts a contact once when it begins, SPL once per step while it lasts.
  state.counters["contacts"] = benchmark::Counter(contacts, benchmark::Counter::kAvgIterations);
}

// Box2D's recommended iterations, and the cheapest it can be asked for.
void BM_Box2D(benchmark::State& state) {
  runBox2D(state, 8, 3);
}
void BM_Box2DOneIteration(benchmark::State& state) {
  runBox2D(state, 1, 1);
}

void registerAll() {
  for (const auto& [name, function] : {std::pair{"SPL", &BM_SPL},
                                       {"AllPairs", &BM_AllPairs},
                                       {"Box2D", &BM_Box2D},
                                       {"Box2DOneIteration", &BM_Box2DOneIteration}}) {
    auto* benchmark = benchmark::RegisterBenchmark(name, function);
    for (const int count : COUNTS) benchmark->Arg(count);
    benchmark->Unit(benchmark::kMicrosecond);
  }
}

// ---- The table ----------------------------------------------------------------------------

// Passes everything to the usual console report and keeps each run's time per frame.
class TableReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      // Processor time: the machine may be shared, and waiting for a core is not the physics'.
      const double seconds = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      mTimes[run.run_name.function_name][std::stoi(run.run_name.args)].push_back(seconds * 1e6);
    }
  }

  void printTable() const {
    std::printf(
        "\nProcessor time per frame (beginFrame, stepMany(1/60, 2), endFrame), microseconds; median of "
        "runs\n");
    std::printf("%6s %10s %12s %10s %10s %10s %12s %12s\n", "N", "SPL", "all-pairs", "Box2D", "Box2D 1/1",
                "SPL/all", "SPL/Box2D", "SPL/B2D 1/1");
    for (const int count : COUNTS) {
      const double spl = time("SPL", count);
      const double all = time("AllPairs", count);
      const double box = time("Box2D", count);
      const double one = time("Box2DOneIteration", count);
      std::printf("%6d %10.1f %12.1f %10.1f %10.1f %10.3f %12.3f %12.3f\n", count, spl, all, box, one,
                  spl / all, spl / box, spl / one);
    }
    std::printf("SPL from 1000 to 3000 bodies: x %.2f\n", time("SPL", 3000) / time("SPL", 1000));
  }

 private:
  double time(const std::string& name, int count) const {
    const auto byName = mTimes.find(name);
    if (byName == mTimes.end()) return std::numeric_limits<double>::quiet_NaN();
    const auto byCount = byName->second.find(count);
    if (byCount == byName->second.end()) return std::numeric_limits<double>::quiet_NaN();
    std::vector<double> values = byCount->second;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
  }

  std::map<std::string, std::map<int, std::vector<double>>> mTimes;
};

}  // namespace

int main(int argc, char** argv) {
  registerAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TableReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printTable();
  benchmark::Shutdown();
  return 0;
}
