-- fxs/artillery-strike.lua
-- A shell lands: flash and blast, scorch marks left on the ground, smoke.

-- flash
FXParm ("num_parts", 2);
FXParm ("bitmap", "fxs/flash.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.85, 0.95);
FXParm ("color_b", 0.5, 0.7);
FXParm ("scale", 2, 2.6);
FXParm ("scale_graph", 0, 0.6);
FXParm ("scale_graph", 1, 1.3);
FXParm ("angle_spread", 360);
FXParm ("age_to_die", 0.25, 0.35);
FXParm ("sound", "sfx/artillery_blast");
FXParm ("sound_volume", 0.9, 1);
FXParm ("sound_freq", 0.92, 1.06);

AddFX ();
-- scorch marks that stay on the ground
FXParm ("num_parts", 3);
FXParm ("bitmap", "fxs/scorch.png");
FXParm ("move_angle_spread", 360);
FXParm ("speed", 10, 30);
FXParm ("dampening_factor", 0.05, 0.1);
FXParm ("scale", 0.8, 1.3);
FXParm ("angle_spread", 360);
FXParm ("alpha_graph", 0, 0.9);
FXParm ("alpha_graph", 1, 0.8);
FXParm ("death_func", "GroundDecal");
FXParm ("age_to_die", 0.2, 0.3);

AddFX ();
-- smoke
FXParm ("num_parts", 6);
FXParm ("bitmap", "fxs/smoke.png");
FXParm ("color_r", 0.25, 0.35);
FXParm ("color_g", 0.25, 0.35);
FXParm ("color_b", 0.25, 0.35);
FXParm ("alpha", 0.48, 0.6);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.2, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("scale", 0.9, 1.3);
FXParm ("scale_graph", 0, 0.5);
FXParm ("scale_graph", 1, 1.6);
FXParm ("area_radius", 0, 10);
FXParm ("area_angle_spread", 360);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 20, 50);
FXParm ("dampening_factor", 0.3, 0.5);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -60, 60);
FXParm ("age_to_die", 1.2, 1.8);
