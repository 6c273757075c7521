#include <gtest/gtest.h>

#include "core/discovery/Search.h"

namespace kvt {
namespace {

// A laptop: Ethernet with two addresses on the plant network, Wi-Fi in the office.
const std::vector<NetInterface> kLaptop = {
    {"eth0", "10.0.0.5", 24, "10.0.0.255"},
    {"eth0", "10.0.1.5", 24, "10.0.1.255"},
    {"wlan0", "192.168.1.20", 24, "192.168.1.255"},
};

struct PlanCase {
    const char* why;
    std::string target;
    bool chosen;
    std::string interface;
    std::vector<NetInterface> available;
    std::vector<std::string> planned;  // interface names; empty: the single query to the target
    bool error;
};

void PrintTo(const PlanCase& c, std::ostream* os) {
    *os << c.why;
}

class SearchPlanTest : public ::testing::TestWithParam<PlanCase> {};

TEST_P(SearchPlanTest, ChoosesTheQueries) {
    const PlanCase& c = GetParam();
    NetworkOptions options;
    options.discoveryTarget = c.target;
    options.discoveryTargetChosen = c.chosen;
    options.searchInterface = c.interface;
    const SearchPlan plan = planBroadcastSearch(options, c.available);
    std::vector<std::string> names;
    for (const NetInterface& interface : plan.interfaces) names.push_back(interface.name);
    EXPECT_EQ(names, c.planned);
    EXPECT_EQ(!plan.error.empty(), c.error) << plan.error;
    if (c.error) {
        // The message names what was asked for and what there is.
        EXPECT_NE(plan.error.find(c.interface), std::string::npos) << plan.error;
        EXPECT_NE(plan.error.find("wlan0 192.168.1.20/24"), std::string::npos) << plan.error;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Laptop, SearchPlanTest,
    ::testing::Values(
        // One query per card, however many addresses a card has.
        PlanCase{"everyCard", "255.255.255.255", false, "all", kLaptop, {"eth0", "wlan0"}, false},
        PlanCase{"oneCard", "255.255.255.255", false, "wlan0", kLaptop, {"wlan0"}, false},
        PlanCase{"missingCard", "255.255.255.255", false, "eth9", kLaptop, {}, true},
        // --broadcast 255.255.255.255: the product's one query, by the default route.
        PlanCase{"chosenLimitedBroadcast", "255.255.255.255", true, "all", kLaptop, {}, false},
        // Any other target is a choice by itself (the simulator on loopback, a subnet).
        PlanCase{"otherTarget", "127.0.0.1", false, "all", kLaptop, {}, false},
        // A target wins over a card: the card only matters to the search of every card.
        PlanCase{"targetAndCard", "10.0.0.255", false, "eth9", kLaptop, {}, false},
        // No card can broadcast: the one query to 255.255.255.255, as the product sends it.
        PlanCase{"noCardQualifies", "255.255.255.255", false, "all", {}, {}, false}),
    [](const auto& param) { return std::string(param.param.why); });

}  // namespace
}  // namespace kvt
