-- fxs/explosion-napalm.lua
-- A napalm rocket bursts: flash, burning blobs that keep flaming, black smoke.

-- flash
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/flash.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.6, 0.7);
FXParm ("color_b", 0.2, 0.3);
FXParm ("scale", 1.4, 1.8);
FXParm ("scale_graph", 0, 0.6);
FXParm ("scale_graph", 1, 1.3);
FXParm ("angle_spread", 360);
FXParm ("age_to_die", 0.15, 0.2);
FXParm ("sound", "sfx/napalm_burst");
FXParm ("sound_volume", 0.9, 1);
FXParm ("sound_freq", 0.92, 1.06);

AddFX ();
-- burning blobs
FXParm ("num_parts", 8);
FXParm ("bitmap", "fxs/fire.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.4, 0.6);
FXParm ("color_b", 0.1, 0.2);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 60, 140);
FXParm ("dampening_factor", 0.02, 0.06);
FXParm ("scale", 0.5, 0.7);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -180, 180);
FXParm ("alpha_graph", 0, 1);
FXParm ("alpha_graph", 0.7, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("age_to_die", 0.8, 1.2);
FXParm ("emitter_fx", "fxs/flame-idle.lua");
FXParm ("emitter_interval", 0.1);

AddFX ();
-- smoke
FXParm ("num_parts", 5);
FXParm ("bitmap", "fxs/smoke.png");
FXParm ("color_r", 0.1, 0.18);
FXParm ("color_g", 0.1, 0.18);
FXParm ("color_b", 0.1, 0.18);
FXParm ("alpha", 0.48, 0.6);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.2, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("scale", 0.6, 1);
FXParm ("scale_graph", 0, 0.5);
FXParm ("scale_graph", 1, 1.6);
FXParm ("area_radius", 0, 10);
FXParm ("area_angle_spread", 360);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 15, 35);
FXParm ("dampening_factor", 0.3, 0.5);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -60, 60);
FXParm ("age_to_die", 1.4, 2);
