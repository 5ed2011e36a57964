#pragma once

class IPluginLV2UI;

// Made by the editor module that links a plug-in against this binding: a new instance with its
// editor, or null.
IPluginLV2UI* CreateLV2UIPlugin();
