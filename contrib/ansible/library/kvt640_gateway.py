#!/usr/bin/python3
# Ansible module: brings one KVT-275R gateway to a configuration file with kvt640-cli on the
# managed host (the host on the gateway's own network segment).

DOCUMENTATION = r"""
module: kvt640_gateway
short_description: Configure a KVT-275R gateway from a configuration file
description:
  - Runs C(kvt640-cli apply) on the managed host. The gateway's configuration of the file's
    kind is read and compared first; when it already holds the file's values nothing is written
    and the task is C(ok). Otherwise the file is downloaded and read back to verify it.
  - In check mode nothing is written (C(kvt640-cli apply --dry-run)); the task reports
    whether a write would be needed.
  - With C(--diff) the differing fields are shown (device before, file after); passwords show
    as C(********).
options:
  ip:
    description: Current IP address of the gateway.
    type: str
    required: true
  src:
    description: Configuration file (.inf) on the managed host.
    type: path
    required: true
  reset:
    description: Reset the gateway after a verified write, so that it applies the new settings.
    type: bool
    default: false
  verify:
    description: Read the configuration back after the write and compare it.
    type: bool
    default: true
  force:
    description: Send a file with values that kvt640-cli write would refuse.
    type: bool
    default: false
  password:
    description: Password the gateway asks for the file's kind (handed to the CLI in its
      environment, KVT640_PASSWORD, never on its command line). The password the file sets is
      tried after it, so a run that changed it can be repeated.
    type: str
  admin_password:
    description: Administrator password for a background configuration (KVT640_ADMIN_PASSWORD).
    type: str
  cli_path:
    description: The kvt640-cli program on the managed host.
    type: path
    default: kvt640-cli
  lang:
    description: Language of the result's message (kvt640-cli --lang).
    type: str
    choices: [en, zh]
    default: en
  bind:
    description: Local address the CLI sends from.
    type: str
  connect_timeout:
    description: Connect time-out in milliseconds.
    type: int
  extra_args:
    description: Further kvt640-cli options (for example ports), put before the file.
    type: list
    elements: str
    default: []
"""

EXAMPLES = r"""
- name: Line 1 gateway gets its site configuration
  kvt640_gateway:
    ip: 192.168.0.10
    src: /etc/kvt640/line-1.inf
    password: "{{ vault_gateway_password }}"
    reset: true
"""

RETURN = r"""
changed:
  description: Whether the gateway was written (kvt640-cli apply's C(changed)); in check mode,
    whether it would be.
ip: {description: Address of the gateway, type: str}
mac: {description: MAC address of the gateway, type: str}
kind: {description: Configuration kind of the file (user or background), type: str}
verified: {description: Whether the write was read back and found equal, type: bool}
outcome:
  description: unchanged, applied, would_change, verification_failed, refused or failed.
  type: str
new_ip: {description: The address the gateway serves on after a reset, type: str}
reset: {description: Whether the gateway was reset, type: bool}
message: {description: kvt640-cli's one-line account, type: str}
differences:
  description: The fields the gateway differed in (before the write, or after it when the
    verification failed), each as {field, device, wanted}; passwords masked.
  type: list
"""

import json

from ansible.module_utils.basic import AnsibleModule

# kvt640-cli apply's exit statuses that come with a JSON result.
EXIT_OK = 0
EXIT_WOULD_CHANGE = 10  # --dry-run: a write would be needed
EXIT_NOT_VERIFIED = 11  # acknowledged, but the read-back differs
RESULT_KEYS = ("ip", "mac", "kind", "verified", "outcome", "new_ip", "reset", "message")


def apply_command(p, check_mode):
    args = [p["cli_path"], "apply", "--ip", p["ip"], p["src"], "--json", "--lang", p["lang"]]
    if check_mode:
        args.append("--dry-run")
    if p["reset"]:
        args.append("--reset")
    if not p["verify"]:
        args.append("--no-verify")
    if p["force"]:
        args.append("--force")
    if p["bind"]:
        args += ["--bind", p["bind"]]
    if p["connect_timeout"] is not None:
        args += ["--connect-timeout", str(p["connect_timeout"])]
    return args + p["extra_args"]


def password_environment(p):
    # In the environment, not on the command line, where other local users could read it.
    env = {}
    if p["password"] is not None:
        env["KVT640_PASSWORD"] = p["password"]
    if p["admin_password"] is not None:
        env["KVT640_ADMIN_PASSWORD"] = p["admin_password"]
    return env


def diff_text(differences, side):
    return "".join(
        "%s: %s\n" % (d["field"], json.dumps(d[side], ensure_ascii=False)) for d in differences
    )


def main():
    module = AnsibleModule(
        argument_spec=dict(
            ip=dict(type="str", required=True),
            src=dict(type="path", required=True),
            reset=dict(type="bool", default=False),
            verify=dict(type="bool", default=True),
            force=dict(type="bool", default=False),
            password=dict(type="str", no_log=True),
            admin_password=dict(type="str", no_log=True),
            cli_path=dict(type="path", default="kvt640-cli"),
            lang=dict(type="str", choices=["en", "zh"], default="en"),
            bind=dict(type="str"),
            connect_timeout=dict(type="int"),
            extra_args=dict(type="list", elements="str", default=[]),
        ),
        supports_check_mode=True,
    )
    p = module.params
    rc, out, err = module.run_command(
        apply_command(p, module.check_mode), environ_update=password_environment(p)
    )
    try:
        parsed = json.loads(out) if out.strip() else {}
    except ValueError:
        parsed = {}
    if not isinstance(parsed, dict):
        parsed = {}
    result = {key: parsed[key] for key in RESULT_KEYS if key in parsed}
    differences = parsed.get("differences") or []
    result["differences"] = differences
    if module.check_mode:
        result["changed"] = rc == EXIT_WOULD_CHANGE
    else:
        result["changed"] = bool(parsed.get("changed", False))
    ok = rc == EXIT_OK or (module.check_mode and rc == EXIT_WOULD_CHANGE)
    if ok and module._diff and differences:
        result["diff"] = {
            "before_header": "%s (device)" % p["ip"],
            "after_header": p["src"],
            "before": diff_text(differences, "device"),
            "after": diff_text(differences, "wanted"),
        }
    if rc == EXIT_NOT_VERIFIED:
        module.fail_json(
            msg="the gateway acknowledged the write but holds other values", rc=rc, **result
        )
    if not ok:
        detail = err.strip() or parsed.get("message", "")
        module.fail_json(msg="kvt640-cli apply failed: %s" % detail, rc=rc, **result)
    module.exit_json(**result)


if __name__ == "__main__":
    main()
