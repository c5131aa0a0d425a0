#pragma once

// A stand-in for Linux: the power-source keys and values, as Apple spells them.

#define kIOPSACPowerValue "AC Power"
#define kIOPSBatteryPowerValue "Battery Power"
#define kIOPSOffLineValue "Off Line"
#define kIOPSPowerAdapterWattsKey "Watts"
#define kIOPSPowerAdapterCurrentKey "Current"
#define kIOPSPowerAdapterFamilyKey "FamilyCode"
