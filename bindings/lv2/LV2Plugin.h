#pragma once

class IPluginLV2;

// Made by the module that links a plug-in against this binding: a new instance, or null.
IPluginLV2* CreateLV2Plugin();
