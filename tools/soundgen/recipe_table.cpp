#include "tools/soundgen/recipe_table.h"

#include <algorithm>
#include <array>

#include "resources/sound_archive_list.h"

namespace kalvor::soundgen {
namespace {

constexpr std::array<RecipeEntry, 98> kTable = {{
    {"110热线", speech::PoliceHotline},
    {"MC教学鼓", music::McDrumBeat},
    {"readygo", speech::ReadyGo},
    {"乌鸦飞过", body::CrowFlyingBy},
    {"伤不起高潮", music::SongClimax},
    {"作者声音", speech::AuthorIntro},
    {"倒开水", impacts::PouringWater},
    {"倒数计时", speech::Countdown},
    {"倒硬币声", impacts::Coins},
    {"做人要厚道", speech::BeKind},
    {"八戒背媳妇儿", music::FolkPiggyback},
    {"公交车报站", speech::BusStop},
    {"刹车声音", engines::BrakeScreech},
    {"剑刺声音", impacts::SwordStab},
    {"发动汽车", engines::StartingCar},
    {"Dorvek笑声", crowd::HeartyLaugh},
    {"咀嚼东西", body::Chewing},
    {"哈利路亚", music::Hallelujah},
    {"多人笑声", crowd::GroupLaughter},
    {"大雨", impacts::HeavyRain},
    {"女人呻吟", body::WomanMoan},
    {"奸笑", crowd::SlyLaugh},
    {"娃娃音搞笑", speech::BabyTalk},
    {"婴儿哭声", body::BabyCry},
    {"婴儿笑声", crowd::BabyLaugh},
    {"小孩笑声", crowd::ChildLaugh},
    {"尖叫声", crowd::FansScreaming},
    {"幽默风趣1", music::Humour1},
    {"幽默风趣2", music::Humour2},
    {"幽默风趣3", music::Humour3},
    {"开啤酒盖", impacts::BeerCap},
    {"恐怖鬼火", music::SpookyWisps},
    {"手枪声音", impacts::Pistol},
    {"打人拳声", impacts::Punches},
    {"打呼噜", body::Snore},
    {"打喷嚏", body::Sneeze},
    {"打瞌睡", body::Dozing},
    {"打雷", impacts::Thunder},
    {"打饱嗝", body::Burp},
    {"拖拉机声音", engines::Tractor},
    {"拨打电话", alarms::DialNumber},
    {"挑优秀老公", speech::ChooseHusband},
    {"搞笑1", cartoon::Boing},
    {"搞笑2", cartoon::SlideWhistle},
    {"搞笑3", cartoon::SadTrombone},
    {"搞笑4", cartoon::Cuckoo},
    {"搞笑5", cartoon::Rimshot},
    {"搞笑6", cartoon::ClownHorn},
    {"搞笑7", cartoon::FallAndBonk},
    {"搞笑8", cartoon::RunAway},
    {"摩托车声音", engines::Motorbike},
    {"放屁声", body::Fart},
    {"救命", speech::HelpShout},
    {"救护车声音", alarms::AmbulanceSiren},
    {"敲键盘声", impacts::Typing},
    {"敲门声", impacts::Knocking},
    {"斗地主胜利", music::CardGameVictory},
    {"新闻片头", music::NewsIntro},
    {"新闻联播", music::NewsBroadcast},
    {"机枪扫射", impacts::MachineGun},
    {"欢呼掌声", crowd::CheeringApplause},
    {"气势片头", music::EpicIntro},
    {"汽车飘逸", engines::Drifting},
    {"汽车鸣笛", alarms::CarHorn},
    {"激烈掌声", crowd::WildApplause},
    {"火灾报警", alarms::FireAlarm},
    {"火车鸣笛", alarms::TrainWhistle},
    {"狗叫", body::DogBark},
    {"狙击枪神", impacts::Sniper},
    {"玛丽通关", music::LevelClear},
    {"电话嘟嘟声", alarms::BusyTone},
    {"电话战线", alarms::PhoneRinging},
    {"电车报站", speech::TramStop},
    {"男人咳嗽", body::Cough},
    {"直升飞机", engines::Helicopter},
    {"砸玻璃声音", impacts::GlassSmash},
    {"精神病热线", speech::PsychHotline},
    {"紧张气氛", music::Tension},
    {"给枪上膛", impacts::Reload},
    {"群众笑声", crowd::AudienceLaughter},
    {"英文正数", speech::CountToTen},
    {"警车声音", alarms::PoliceSiren},
    {"货车鸣笛", alarms::TruckAirHorn},
    {"赌神出场", music::GamblerEntrance},
    {"邪恶笑声", crowd::EvilLaugh},
    {"鄙视声音", body::Scoff},
    {"防空警报", alarms::AirRaidSiren},
    {"非诚勿扰女", music::DatingShowWoman},
    {"非诚勿扰灯", music::DatingShowLight},
    {"非诚勿扰男", music::DatingShowMan},
    {"鞭打男人", body::WhipMan},
    {"马桶冲水声", impacts::ToiletFlush},
    {"鬼叫声女", body::GhostWoman},
    {"鬼叫声男", body::GhostMan},
    {"魔幻音乐", music::MagicMusic},
    {"麦吻女", body::KissWoman},
    {"麦吻女骚", body::KissWomanFlirty},
    {"麦吻男", body::KissMan},
}};

constexpr bool TableMatchesArchiveList() {
  for (std::size_t i = 0; i < kTable.size(); ++i) {
    if (kTable[i].name != kArchiveSoundNames[i]) return false;
  }
  return true;
}
static_assert(TableMatchesArchiveList(), "every archive sound needs a recipe, in archive order");

}  // namespace

std::span<const RecipeEntry> RecipeTable() {
  return kTable;
}

Recipe FindRecipe(std::string_view name) {
  const auto it = std::find_if(kTable.begin(), kTable.end(),
                               [&](const RecipeEntry& e) { return e.name == name; });
  return it == kTable.end() ? nullptr : it->recipe;
}

}  // namespace kalvor::soundgen
