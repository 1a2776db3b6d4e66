// Every sound effect is a recipe: a function that renders the sound from a seeded
// random stream (and the speech engine for the spoken ones). The recipes live in one
// file per family; recipe_table.cpp maps each archive name to its recipe.
#pragma once

#include "tools/soundgen/random.h"
#include "tools/soundgen/signal.h"
#include "tools/soundgen/speech_synth.h"

namespace kalvor::soundgen {

struct RecipeContext {
  Random& rng;
  SpeechSynth& speech;
};

using Recipe = Signal (*)(RecipeContext&);

// Building blocks shared between families.
Signal Clap(Random& rng, double brightness);  // one hand clap
struct LaughStyle {
  double f0 = 130;             // starting pitch
  double formant_scale = 1.0;  // 1 man, 1.18 woman, 1.3 child, 1.5 baby
  char vowel = 'a';            // "ha" / "he" / "hi" / "ho"
  double syllable_rate = 5.0;  // per second
  int syllables = 6;           // in one breath
  double pitch_fall = 0.25;    // how far the pitch sinks over one breath
  double breathiness = 0.25;
};
Signal Laugh(Random& rng, const LaughStyle& style, int breaths);
Signal Gunshot(Random& rng, double size);            // size 0.5 small .. 2 large
Signal PhoneLine(const Signal& voice, Random& rng);  // 300-3400 Hz band, a little hiss
Signal Chime(std::initializer_list<double> midis, double spacing_seconds);
Signal Whoosh(Random& rng, double seconds, double from_hz, double to_hz);

namespace alarms {
Signal PoliceSiren(RecipeContext&);
Signal AmbulanceSiren(RecipeContext&);
Signal FireAlarm(RecipeContext&);
Signal AirRaidSiren(RecipeContext&);
Signal CarHorn(RecipeContext&);
Signal TruckAirHorn(RecipeContext&);
Signal TrainWhistle(RecipeContext&);
Signal BusyTone(RecipeContext&);
Signal DialNumber(RecipeContext&);
Signal PhoneRinging(RecipeContext&);
}  // namespace alarms

namespace engines {
Signal Motorbike(RecipeContext&);
Signal Tractor(RecipeContext&);
Signal Helicopter(RecipeContext&);
Signal StartingCar(RecipeContext&);
Signal BrakeScreech(RecipeContext&);
Signal Drifting(RecipeContext&);
}  // namespace engines

namespace crowd {
Signal CheeringApplause(RecipeContext&);
Signal WildApplause(RecipeContext&);
Signal GroupLaughter(RecipeContext&);
Signal AudienceLaughter(RecipeContext&);
Signal FansScreaming(RecipeContext&);
Signal ChildLaugh(RecipeContext&);
Signal BabyLaugh(RecipeContext&);
Signal EvilLaugh(RecipeContext&);
Signal SlyLaugh(RecipeContext&);
Signal HeartyLaugh(RecipeContext&);
}  // namespace crowd

namespace body {
Signal BabyCry(RecipeContext&);
Signal Sneeze(RecipeContext&);
Signal Cough(RecipeContext&);
Signal Burp(RecipeContext&);
Signal Snore(RecipeContext&);
Signal Dozing(RecipeContext&);
Signal Chewing(RecipeContext&);
Signal Fart(RecipeContext&);
Signal WomanMoan(RecipeContext&);
Signal GhostMan(RecipeContext&);
Signal GhostWoman(RecipeContext&);
Signal DogBark(RecipeContext&);
Signal CrowFlyingBy(RecipeContext&);
Signal KissMan(RecipeContext&);
Signal KissWoman(RecipeContext&);
Signal KissWomanFlirty(RecipeContext&);
Signal WhipMan(RecipeContext&);
Signal Scoff(RecipeContext&);
}  // namespace body

namespace impacts {
Signal Pistol(RecipeContext&);
Signal MachineGun(RecipeContext&);
Signal Sniper(RecipeContext&);
Signal Reload(RecipeContext&);
Signal Punches(RecipeContext&);
Signal SwordStab(RecipeContext&);
Signal GlassSmash(RecipeContext&);
Signal Knocking(RecipeContext&);
Signal PouringWater(RecipeContext&);
Signal Coins(RecipeContext&);
Signal BeerCap(RecipeContext&);
Signal ToiletFlush(RecipeContext&);
Signal Typing(RecipeContext&);
Signal HeavyRain(RecipeContext&);
Signal Thunder(RecipeContext&);
}  // namespace impacts

namespace music {
Signal McDrumBeat(RecipeContext&);
Signal SongClimax(RecipeContext&);
Signal FolkPiggyback(RecipeContext&);
Signal Hallelujah(RecipeContext&);
Signal Humour1(RecipeContext&);
Signal Humour2(RecipeContext&);
Signal Humour3(RecipeContext&);
Signal SpookyWisps(RecipeContext&);
Signal CardGameVictory(RecipeContext&);
Signal NewsIntro(RecipeContext&);
Signal NewsBroadcast(RecipeContext&);
Signal EpicIntro(RecipeContext&);
Signal LevelClear(RecipeContext&);
Signal Tension(RecipeContext&);
Signal GamblerEntrance(RecipeContext&);
Signal DatingShowWoman(RecipeContext&);
Signal DatingShowLight(RecipeContext&);
Signal DatingShowMan(RecipeContext&);
Signal MagicMusic(RecipeContext&);
}  // namespace music

namespace cartoon {
Signal Boing(RecipeContext&);
Signal SlideWhistle(RecipeContext&);
Signal SadTrombone(RecipeContext&);
Signal Cuckoo(RecipeContext&);
Signal Rimshot(RecipeContext&);
Signal ClownHorn(RecipeContext&);
Signal FallAndBonk(RecipeContext&);
Signal RunAway(RecipeContext&);
}  // namespace cartoon

namespace speech {
Signal PoliceHotline(RecipeContext&);
Signal ReadyGo(RecipeContext&);
Signal AuthorIntro(RecipeContext&);
Signal BeKind(RecipeContext&);
Signal BusStop(RecipeContext&);
Signal TramStop(RecipeContext&);
Signal HelpShout(RecipeContext&);
Signal BabyTalk(RecipeContext&);
Signal ChooseHusband(RecipeContext&);
Signal PsychHotline(RecipeContext&);
Signal CountToTen(RecipeContext&);
Signal Countdown(RecipeContext&);
}  // namespace speech

}  // namespace kalvor::soundgen
