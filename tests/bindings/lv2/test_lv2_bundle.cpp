// The bundle as hosts read it: valid against the LV2 schemas, one instrument with the
// instrument's parameters as control ports, and the factory bank as grouped presets.

#include "LilvHost.h"

#include "Karvelund.h"
#include "KarvelundParamTable.h"
#include "core/IParam.h"

#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/midi/midi.h>
#include <lv2/port-groups/port-groups.h>
#include <lv2/presets/presets.h>
#include <lv2/time/time.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <set>
#include <string>

namespace {

std::string RunCommand(const std::string& command, int* status) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return "";
    char buf[4096];
    while (size_t n = fread(buf, 1, sizeof buf, pipe))
        output.append(buf, n);
    *status = pclose(pipe);
    return output;
}

class Bundle : public ::testing::Test {
protected:
    static void SetUpTestSuite() { sHost = new LilvHost; }
    static void TearDownTestSuite() {
        delete sHost;
        sHost = nullptr;
    }
    LilvNode* uri(const char* text) { return lilv_new_uri(sHost->world(), text); }
    static LilvHost* sHost;
};
LilvHost* Bundle::sHost = nullptr;

TEST_F(Bundle, DescriptionPassesTheSchemaCheck) {
    const std::string dir = lv2BundleDir();
    int status = -1;
    const std::string out = RunCommand("lv2_validate " + dir + "manifest.ttl " + dir +
                                           "karvelund.ttl " + dir + "presets.ttl",
                                       &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("Found 0 errors"), std::string::npos) << out;
}

TEST_F(Bundle, IsAnInstrumentWithMidiInAndStereoOut) {
    const LilvPlugin* p = sHost->plugin();
    EXPECT_STREQ(lilv_node_as_string(lilv_plugin_class_get_uri(lilv_plugin_get_class(p))),
                 LV2_CORE__InstrumentPlugin);
    LilvNode* name = lilv_plugin_get_name(p);
    EXPECT_STREQ(lilv_node_as_string(name), "Karvelund");
    lilv_node_free(name);
    LilvNode *audio = uri(LV2_CORE__AudioPort), *output = uri(LV2_CORE__OutputPort),
             *atomPort = uri(LV2_ATOM__AtomPort), *input = uri(LV2_CORE__InputPort),
             *midiEvent = uri(LV2_MIDI__MidiEvent), *position = uri(LV2_TIME__Position),
             *control = uri(LV2_CORE__control);
    EXPECT_EQ(lilv_plugin_get_num_ports_of_class(p, audio, output, nullptr), 2u);
    EXPECT_EQ(lilv_plugin_get_num_ports_of_class(p, audio, input, nullptr), 0u);
    EXPECT_EQ(lilv_plugin_get_num_ports_of_class(p, atomPort, input, nullptr), 1u);
    EXPECT_EQ(lilv_plugin_get_num_ports_of_class(p, atomPort, output, nullptr), 1u);
    const LilvPort* events = lilv_plugin_get_port_by_designation(p, input, control);
    ASSERT_NE(events, nullptr);
    EXPECT_TRUE(lilv_port_supports_event(p, events, midiEvent));
    EXPECT_TRUE(lilv_port_supports_event(p, events, position));
    for (LilvNode* n : {audio, output, atomPort, input, midiEvent, position, control})
        lilv_node_free(n);
}

TEST_F(Bundle, ControlPortsFollowTheParametersInOrder) {
    std::unique_ptr<Karvelund> plug(MakePlug());
    const LilvPlugin* p = sHost->plugin();
    LilvNode *integer = uri(LV2_CORE__integer), *enumeration = uri(LV2_CORE__enumeration),
             *toggled = uri(LV2_CORE__toggled), *group = uri(LV2_PORT_GROUPS__group);
    std::set<std::string> symbols;
    for (int i = 0; i < plug->NParams(); ++i) {
        SCOPED_TRACE(i);
        const IParam& param = *plug->GetParam(i);
        const LilvPort* port = lilv_plugin_get_port_by_index(p, static_cast<uint32_t>(i));
        ASSERT_NE(port, nullptr);
        LilvNode* name = lilv_port_get_name(p, port);
        EXPECT_STREQ(lilv_node_as_string(name), param.GetNameForHost());
        lilv_node_free(name);
        const std::string symbol = lilv_node_as_string(lilv_port_get_symbol(p, port));
        EXPECT_EQ(symbol, GetParamDef(i).symbol);
        for (char c : symbol)
            EXPECT_TRUE(std::islower(c) || std::isdigit(c) || c == '_') << symbol;
        EXPECT_TRUE(symbols.insert(symbol).second) << symbol;
        LilvNode *def = nullptr, *lo = nullptr, *hi = nullptr;
        lilv_port_get_range(p, port, &def, &lo, &hi);
        double pmin = 0, pmax = 0;
        param.GetBounds(pmin, pmax);
        EXPECT_DOUBLE_EQ(lilv_node_as_float(def), static_cast<float>(param.GetDefault()));
        EXPECT_DOUBLE_EQ(lilv_node_as_float(lo), static_cast<float>(pmin));
        EXPECT_DOUBLE_EQ(lilv_node_as_float(hi), static_cast<float>(pmax));
        lilv_node_free(def);
        lilv_node_free(lo);
        lilv_node_free(hi);
        const bool isSwitch = param.Type() == kTypeEnum || param.Type() == kTypeInt;
        EXPECT_EQ(lilv_port_has_property(p, port, integer), isSwitch);
        EXPECT_EQ(lilv_port_has_property(p, port, enumeration), isSwitch);
        EXPECT_EQ(lilv_port_has_property(p, port, toggled), param.Type() == kTypeBool);
        if (isSwitch) {
            LilvScalePoints* points = lilv_port_get_scale_points(p, port);
            EXPECT_EQ(static_cast<int>(lilv_scale_points_size(points)),
                      static_cast<int>(pmax - pmin) + 1);
            LILV_FOREACH(scale_points, it, points) {
                const LilvScalePoint* sp = lilv_scale_points_get(points, it);
                const int value =
                    static_cast<int>(lilv_node_as_float(lilv_scale_point_get_value(sp)));
                if (param.GetNDisplayTexts() > 0) {
                    EXPECT_STREQ(lilv_node_as_string(lilv_scale_point_get_label(sp)),
                                 param.GetDisplayText(value));
                }
            }
            lilv_scale_points_free(points);
        }
        LilvNodes* groups = lilv_port_get_value(p, port, group);
        EXPECT_EQ(lilv_nodes_size(groups), 1u);
        lilv_nodes_free(groups);
    }
    for (LilvNode* n : {integer, enumeration, toggled, group})
        lilv_node_free(n);
}

TEST_F(Bundle, FactoryPresetsAreListedByNameInCategoryBanks) {
    IsolatedUserData isolated;
    std::unique_ptr<Karvelund> plug(MakePlug());
    const auto presets = sHost->presets();
    ASSERT_EQ(static_cast<int>(presets.size()), plug->NPresets());
    LilvNode *label = uri(LILV_NS_RDFS "label"), *bank = uri(LV2_PRESETS__bank);
    std::set<std::string> banks;
    for (size_t i = 0; i < presets.size(); ++i) {
        LilvNodes* labels = lilv_world_find_nodes(sHost->world(), presets[i], label, nullptr);
        ASSERT_EQ(lilv_nodes_size(labels), 1u);
        EXPECT_STREQ(lilv_node_as_string(lilv_nodes_get_first(labels)),
                     plug->GetPresetName(static_cast<int>(i)));
        lilv_nodes_free(labels);
        LilvNode* b = lilv_world_get(sHost->world(), presets[i], bank, nullptr);
        ASSERT_NE(b, nullptr);
        LilvNode* bankLabel = lilv_world_get(sHost->world(), b, label, nullptr);
        ASSERT_NE(bankLabel, nullptr);
        banks.insert(lilv_node_as_string(bankLabel));
        lilv_node_free(bankLabel);
        lilv_node_free(b);
    }
    EXPECT_EQ(banks.count("Basses"), 1u);
    EXPECT_EQ(banks.count("Pads"), 1u);
    EXPECT_GE(banks.size(), 8u);
    lilv_node_free(label);
    lilv_node_free(bank);
}

TEST_F(Bundle, ModuleExportsOnlyItsDescriptor) {
    int status = -1;
    const std::string out =
        RunCommand("nm -D --defined-only " + lv2BundleDir() + "karvelund.so", &status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_NE(out.find(" lv2_descriptor"), std::string::npos) << out;
    int symbolsDefined = 0;
    for (size_t pos = 0; (pos = out.find('\n', pos)) != std::string::npos; ++pos)
        ++symbolsDefined;
    EXPECT_EQ(symbolsDefined, 1) << out;
}

} // namespace
