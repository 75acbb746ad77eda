// Keyloom's door into GNOME Shell: a small D-Bus service, org.keyloom.Shell
// on the session bus, for what mutter's RemoteDesktop does not offer: the
// windows (listed, activated), the cursor position and the lock keys, and
// text committed to the focused program's input method.
/* exported init */
const { Gio, GLib, Meta, Shell } = imports.gi;
const Main = imports.ui.main;

const kInterface = `
<node>
  <interface name="org.keyloom.Shell1">
    <!-- The normal windows, the topmost first: id, title, process id. -->
    <method name="ListWindows">
      <arg type="a(tsi)" direction="out" name="windows"/>
    </method>
    <!-- Brings the window to the front with the keyboard focus; false when
         it is gone or did not take the focus. -->
    <method name="Activate">
      <arg type="t" direction="in" name="id"/>
      <arg type="b" direction="out" name="focused"/>
    </method>
    <!-- The cursor position and the modifier state (Clutter's mask). -->
    <method name="Pointer">
      <arg type="i" direction="out" name="x"/>
      <arg type="i" direction="out" name="y"/>
      <arg type="u" direction="out" name="mods"/>
    </method>
    <!-- Commits text to the focused program when it takes text from an
         input method (text-input); false, sending nothing, when it does not.
         Runs after the events already queued, answers once the text is out. -->
    <method name="CommitText">
      <arg type="s" direction="in" name="text"/>
      <arg type="b" direction="out" name="committed"/>
    </method>
    <!-- Runs after the events already queued. -->
    <method name="Sync"/>
    <!-- How often the barrier key (XF86Launch9, which the extension takes:
         no program sees it) has come through. Sent after other input, it
         tells when that input has reached the programs. -->
    <method name="Barriers">
      <arg type="u" direction="out" name="count"/>
    </method>
  </interface>
</node>`;

function normalWindows() {
    const windows = global.get_window_actors().map(a => a.meta_window)
        .filter(w => !w.is_override_redirect() && !w.is_skip_taskbar());
    return global.display.sort_windows_by_stacking(windows).reverse();
}

// After what the main loop has queued now (input events among it).
function afterQueued(invocation, answer) {
    GLib.idle_add(GLib.PRIORITY_LOW, () => {
        invocation.return_value(answer());
        return GLib.SOURCE_REMOVE;
    });
}

const kBarrierKey = 'XF86Launch9';

class Service {
    constructor() {
        this.barriers = 0;
    }

    Barriers() {
        return this.barriers;
    }

    ListWindows() {
        return normalWindows().map(w => [w.get_id(), w.get_title() ?? '', w.get_pid()]);
    }

    Activate(id) {
        const window = normalWindows().find(w => w.get_id() === id);
        if (!window)
            return false;
        if (Main.overview.visible)
            Main.overview.hide();
        Main.activateWindow(window, global.get_current_time());
        return global.display.focus_window === window;
    }

    Pointer() {
        const [x, y, mods] = global.get_pointer();
        return [x, y, mods];
    }

    CommitTextAsync([text], invocation) {
        GLib.idle_add(GLib.PRIORITY_LOW, () => {
            const im = Main.inputMethod;
            if (!im || !im.currentFocus) {
                invocation.return_value(new GLib.Variant('(b)', [false]));
                return GLib.SOURCE_REMOVE;
            }
            im.commit(text);
            // Mutter tells the program in an idle of its own: the answer
            // comes after it, so that no key sent next overtakes the text.
            afterQueued(invocation, () => new GLib.Variant('(b)', [true]));
            return GLib.SOURCE_REMOVE;
        });
    }

    SyncAsync(_params, invocation) {
        afterQueued(invocation, () => null);
    }
}

class Extension {
    enable() {
        const service = new Service();
        this._barrier = global.display.grab_accelerator(kBarrierKey, Meta.KeyBindingFlags.NONE);
        if (this._barrier !== Meta.KeyBindingAction.NONE) {
            Main.wm.allowKeybinding(Meta.external_binding_name_for_action(this._barrier),
                Shell.ActionMode.ALL);
            this._barrierId = global.display.connect('accelerator-activated', (_d, action) => {
                if (action === this._barrier)
                    service.barriers++;
            });
        }
        this._object = Gio.DBusExportedObject.wrapJSObject(kInterface, service);
        this._object.export(Gio.DBus.session, '/org/keyloom/Shell');
        this._name = Gio.bus_own_name_on_connection(Gio.DBus.session, 'org.keyloom.Shell',
            Gio.BusNameOwnerFlags.NONE, null, null);
    }

    disable() {
        if (this._barrier !== Meta.KeyBindingAction.NONE) {
            global.display.disconnect(this._barrierId);
            Main.wm.allowKeybinding(Meta.external_binding_name_for_action(this._barrier),
                Shell.ActionMode.NONE);
            global.display.ungrab_accelerator(this._barrier);
        }
        Gio.bus_unown_name(this._name);
        this._object.unexport();
        this._object = null;
    }
}

function init() {
    return new Extension();
}
